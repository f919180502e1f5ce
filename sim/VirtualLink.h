#pragma once
#include <cstdint>
#include <deque>
#include <map>
#include <string>

#include "SimReceiver.h"
#include "Transcript.h"
#include "VirtualClock.h"
#include "platform/SerialDevice.h"

namespace qvr::sim {

// A serial cable in virtual time between a host (through the ISerialDevice
// it offers) and the simulated receiver. Every character takes 10 bit times
// at its sender's rate; a read waits, in virtual time, until its count is
// complete or its time-out ends; characters sent at a rate the other end is
// not set to arrive garbled. The same test gives the same bytes at the same
// times on every run.
class VirtualLink {
public:
    explicit VirtualLink(SimReceiver& receiver, uint32_t tickOrigin = 0);

    IClock& Clock() { return m_clock; }
    VirtualClock& Virtual() { return m_clock; }
    const VirtualClock& Virtual() const { return m_clock; }
    ISerialDevice& Device() { return m_device; }
    Transcript& Record() { return m_transcript; }
    const Transcript& Record() const { return m_transcript; }
    SimReceiver& Receiver() { return m_receiver; }

    // Ports that fail to open (as if missing or held by another program),
    // with the system error code they report.
    void FailOpen(const std::string& portName, int errorCode = 5) { m_failing[portName] = errorCode; }
    // Makes the device report a read error at the next read (once).
    void FailNextRead(int errorCode = 31) { m_readFailure = errorCode; }
    // Fault mode "device vanishes": at moment t the cable is pulled (or the
    // receiver's end hangs up). A read under way then returns with what had
    // arrived; from then on every read and write fails at once with
    // kVanishedError, and opening fails (the port is gone).
    static constexpr int kVanishedError = 1167;  // the device is not connected
    void VanishAt(SimTime t) { m_vanishAt = t; }
    bool Vanished() const { return m_clock.Now() >= m_vanishAt; }
    // Reads and writes the host tried on the device since it vanished.
    int CallsSinceVanished() const { return m_callsSinceVanished; }

    // Runs the receiver up to the given moment (the host waits until then).
    void AdvanceTo(SimTime t);

    int OpenCount() const { return m_openCount; }
    int HostBaud() const { return m_hostBaud; }

private:
    class HostDevice : public ISerialDevice {
    public:
        explicit HostDevice(VirtualLink& link) : m_link(link) {}
        bool Open(const char* name) override;
        bool IsOpen() const override;
        void Close() override;
        bool FetchLineSettings() override;
        bool ApplyLineSettings(int baudRate) override;
        bool Read(uint8_t* dest, size_t count, uint32_t timeoutMs, size_t* received) override;
        bool Write(const uint8_t* src, size_t count, size_t* written) override;
        bool HasGone() override { return m_link.m_open && m_link.Vanished(); }
        int LastError() const override;

    private:
        VirtualLink& m_link;
    };

    // Processes receiver events in time order up to t, collecting its output.
    void Pump(SimTime t);
    // Runs the earliest pending event; false when none is due by t.
    bool StepOnce(SimTime t);
    void CollectOutput();
    // Arrival time of the count-th byte not yet read, or kNever.
    SimTime CompletionTime(size_t count) const;

    SimReceiver& m_receiver;
    VirtualClock m_clock;
    HostDevice m_device{*this};
    Transcript m_transcript;

    bool m_open = false;
    int m_hostBaud = 0;
    SimTime m_openedAt = 0;
    SimTime m_hostTxFree = 0;
    int m_lastError = 0;
    int m_openCount = 0;
    int m_readFailure = 0;
    SimTime m_vanishAt = kNever;
    int m_callsSinceVanished = 0;
    std::map<std::string, int> m_failing;
    std::deque<WireByte> m_toReceiver;  // host bytes on their way
    std::deque<WireByte> m_toHost;      // receiver bytes on their way or waiting in the driver
};

} // namespace qvr::sim
