#pragma once
#include <atomic>
#include <cstdint>

#include "platform/Clock.h"
#include "platform/SerialDevice.h"

// Closing the window while a receiver operation runs must not leave the
// process waiting for it for tens of seconds with the port open. The
// receiver object's clock and serial device are wrapped in these: once the
// switch is thrown every wait returns at once and counts as having passed,
// and the port fails every read and write, so the running operation takes
// the quickest way out it has (the one it takes when the receiver stops
// answering) within milliseconds.
class AbortSwitch {
public:
    void Abort() { m_aborted = true; }
    bool Aborted() const { return m_aborted; }

private:
    std::atomic<bool> m_aborted{false};
};

class AbortableClock : public qvr::IClock {
public:
    AbortableClock(qvr::IClock& inner, AbortSwitch& abort) : m_inner(inner), m_abort(abort) {}
    // Sleeps in slices so a long pause ends soon after the switch.
    void Sleep(uint32_t ms) override;
    uint32_t GetTickCount() override { return m_inner.GetTickCount() + m_skipped; }
    // Time that passes without waiting (after the switch).
    void Skip(uint32_t ms) { m_skipped += ms; }

private:
    qvr::IClock& m_inner;
    AbortSwitch& m_abort;
    std::atomic<uint32_t> m_skipped{0};
};

class AbortableDevice : public qvr::ISerialDevice {
public:
    AbortableDevice(qvr::ISerialDevice& inner, AbortableClock& clock, AbortSwitch& abort)
        : m_inner(inner), m_clock(clock), m_abort(abort) {}
    bool Open(const char* name) override { return !m_abort.Aborted() && m_inner.Open(name); }
    bool IsOpen() const override { return m_inner.IsOpen(); }
    void Close() override { m_inner.Close(); }
    bool FetchLineSettings() override { return !m_abort.Aborted() && m_inner.FetchLineSettings(); }
    bool ApplyLineSettings(int baudRate) override { return !m_abort.Aborted() && m_inner.ApplyLineSettings(baudRate); }
    bool Read(uint8_t* dest, size_t count, uint32_t timeoutMs, size_t* received) override;
    bool Write(const uint8_t* src, size_t count, size_t* written) override;
    bool HasGone() override { return m_inner.HasGone(); }
    int LastError() const override { return m_inner.LastError(); }

private:
    qvr::ISerialDevice& m_inner;
    AbortableClock& m_clock;
    AbortSwitch& m_abort;
};
