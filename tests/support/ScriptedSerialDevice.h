#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "VirtualClock.h"
#include "platform/SerialDevice.h"

namespace qvr::test {

// A serial device that plays a script in virtual time: bytes that arrive at
// given moments, ports that cannot be opened, reads that fail. Storage is
// reserved up front so that reads and writes allocate nothing.
class ScriptedSerialDevice : public ISerialDevice {
public:
    explicit ScriptedSerialDevice(sim::VirtualClock& clock);

    // Bytes that arrive atMs milliseconds after the start of the test.
    void Arrive(uint32_t atMs, const std::string& bytes);
    void Arrive(uint32_t atMs, const std::vector<uint8_t>& bytes);
    // A device that never stops sending: one byte every periodMs from atMs.
    void Stream(uint32_t atMs, uint32_t periodMs, uint8_t value = 'x');
    void FailOpen(int errorCode) { m_openError = errorCode; }
    // The n-th read from now on (1 = the next) fails with errorCode.
    void FailRead(int nth, int errorCode);
    void FailLineSettings(bool fetch, bool apply) { m_failFetch = fetch; m_failApply = apply; }

    bool Open(const char* name) override;
    bool IsOpen() const override { return m_open; }
    void Close() override { m_open = false; }
    bool FetchLineSettings() override;
    bool ApplyLineSettings(int baudRate) override;
    bool Read(uint8_t* dest, size_t count, uint32_t timeoutMs, size_t* received) override;
    bool Write(const uint8_t* src, size_t count, size_t* written) override;
    int LastError() const override { return m_lastError; }

    int ReadCalls() const { return m_readCalls; }
    int OpenCalls() const { return m_openCalls; }
    int LastBaud() const { return m_baud; }
    const std::string& LastName() const { return m_name; }
    const std::string& Written() const { return m_written; }

private:
    struct Arrival {
        sim::SimTime at;
        uint8_t value;
    };
    sim::VirtualClock& m_clock;
    std::deque<Arrival> m_arrivals;
    bool m_streaming = false;
    sim::SimTime m_streamNext = 0, m_streamPeriod = 0;
    uint8_t m_streamValue = 0;
    bool m_open = false;
    int m_openError = 0;
    int m_failReadAt = 0, m_failReadError = 0;
    bool m_failFetch = false, m_failApply = false;
    int m_lastError = 0;
    int m_readCalls = 0, m_openCalls = 0;
    int m_baud = 0;
    std::string m_name;
    std::string m_written;
};

} // namespace qvr::test
