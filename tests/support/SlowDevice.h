#pragma once
#include <chrono>
#include <thread>

#include "platform/SerialDevice.h"

namespace qvr::test {

// A serial device that takes a little real time for every read, so that an
// operation in virtual time lasts long enough to watch the window while it
// runs.
class SlowDevice : public ISerialDevice {
public:
    explicit SlowDevice(ISerialDevice& inner, int readMs = 3) : m_inner(inner), m_readMs(readMs) {}
    bool Open(const char* name) override { return m_inner.Open(name); }
    bool IsOpen() const override { return m_inner.IsOpen(); }
    void Close() override { m_inner.Close(); }
    bool FetchLineSettings() override { return m_inner.FetchLineSettings(); }
    bool ApplyLineSettings(int baud) override { return m_inner.ApplyLineSettings(baud); }
    bool Read(uint8_t* d, size_t n, uint32_t t, size_t* r) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(m_readMs));
        return m_inner.Read(d, n, t, r);
    }
    bool Write(const uint8_t* s, size_t n, size_t* w) override { return m_inner.Write(s, n, w); }
    int LastError() const override { return m_inner.LastError(); }

private:
    ISerialDevice& m_inner;
    int m_readMs;
};

} // namespace qvr::test
