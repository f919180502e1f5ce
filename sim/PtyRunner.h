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

private:
    SimTime Now() const;
    int HostBaud() const;

    SimReceiver& m_receiver;
    int m_master = -1;
    int m_slave = -1;  // kept open so the pty lives between host sessions
    std::string m_path;
    std::string m_error;
    long long m_startNs = 0;
};

} // namespace qvr::sim
