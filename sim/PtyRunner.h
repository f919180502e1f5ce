#pragma once
#include <atomic>
#include <string>

#include "SimReceiver.h"

namespace qvr::sim {

// Serves a simulated receiver in real time on a pseudo-terminal: the host
// opens the pty's other end like a serial port. The receiver hears the host
// at the rate the host set on its end (read from the terminal settings), so a
// host at the wrong rate gets garbage, as with a real receiver.
class PtyRunner {
public:
    explicit PtyRunner(SimReceiver& receiver);
    ~PtyRunner();
    PtyRunner(const PtyRunner&) = delete;
    PtyRunner& operator=(const PtyRunner&) = delete;

    // Creates the pty; false (with a reason in Error()) when it cannot.
    bool Open();
    // The path a host opens ("/dev/pts/N").
    const std::string& Path() const { return m_path; }
    // Runs until stop becomes true (checked at least every 20 ms).
    void Run(const std::atomic<bool>& stop);
    // One step: handle what is due now, wait at most maxWaitMs for input.
    void Step(int maxWaitMs);
    const std::string& Error() const { return m_error; }
    // Fault mode "device vanishes": Run returns (and the owner closes the
    // pty, as a pulled cable or a receiver switched off) afterMs
    // milliseconds after the host first sent something, or, with a trigger,
    // after the host's bytes first contained the trigger text.
    void VanishAfter(long long afterMs, const std::string& trigger = {}) {
        m_vanishAfterMs = afterMs;
        m_trigger = trigger;
    }

private:
    SimTime Now() const;
    int HostBaud() const;

    SimReceiver& m_receiver;
    int m_master = -1;
    int m_slave = -1;  // kept open so the pty lives between host sessions
    std::string m_path;
    std::string m_error;
    long long m_startNs = 0;
    long long m_vanishAfterMs = -1;
    std::string m_trigger;
    std::string m_recent;        // the host's last bytes, for the trigger
    long long m_triggeredNs = -1;
};

} // namespace qvr::sim
