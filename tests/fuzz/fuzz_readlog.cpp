// Feeds arbitrary byte streams, split at arbitrary points and delivered at
// arbitrary moments, through the serial port's receive buffer and the binary
// log reader. The first bytes of the input steer the splitting and the
// reader's time-outs; the rest is what the "receiver" sends.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "FuzzBench.h"
#include "MAReceiver.h"
#include "VirtualClock.h"

namespace qvr::fuzz {

namespace {

class SplitDevice : public ISerialDevice {
public:
    SplitDevice(sim::VirtualClock& clock, const uint8_t* data, size_t size)
        : m_clock(clock), m_data(data), m_size(size) {}
    bool Open(const char*) override { return m_open = true; }
    bool IsOpen() const override { return m_open; }
    void Close() override { m_open = false; }
    bool FetchLineSettings() override { return true; }
    bool ApplyLineSettings(int) override { return true; }
    bool Read(uint8_t* dest, size_t count, uint32_t timeoutMs, size_t* received) override {
        *received = 0;
        if (!m_open) return false;
        if (m_pos >= m_size) {
            m_clock.Sleep(timeoutMs);
            return true;
        }
        // The next byte says how much arrives in this read (0 = none).
        const size_t chunk = m_data[m_pos++] % 97;
        size_t n = chunk < count ? chunk : count;
        if (n > m_size - m_pos) n = m_size - m_pos;
        std::memcpy(dest, m_data + m_pos, n);
        m_pos += n;
        *received = n;
        m_clock.Sleep(n == count ? timeoutMs / 2 : timeoutMs);
        return true;
    }
    bool Write(const uint8_t*, size_t count, size_t* written) override {
        *written = count;
        return m_open;
    }
    int LastError() const override { return 0; }
    bool Exhausted() const { return m_pos >= m_size; }

private:
    sim::VirtualClock& m_clock;
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
    bool m_open = false;
};

} // namespace

int FuzzReadLog(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static const uint32_t kTimeouts[] = {0, 100, 500, 1000, 2000, 4000};
    const uint8_t steering = data[0];
    sim::VirtualClock clock;
    SplitDevice device(clock, data + 1, size - 1);
    MAReceiver receiver(Variant::Desktop, PlatformServices{&clock, &device, &NullTrace(), nullptr});
    receiver.Port().Open("COM1", 9600);
    for (int round = 0; round < 64 && !device.Exhausted(); ++round) {
        const uint32_t timeout = kTimeouts[(steering + round) % 6];
        if (receiver.ReadLog(timeout)) {
            // A frame that passed must be self-consistent.
            const uint8_t* frame = receiver.LogBuffer();
            const size_t n = frame[3] + receiver.LogBodyLength() + 4u;
            if (n > kMaxLogFrame || ReadLe32(frame + n - 4) != LogCrc32(frame, n - 4)) __builtin_trap();
            (void)receiver.GetLogMessageId();
        }
        if ((steering >> 3) & 1) {
            uint8_t sink[64];
            receiver.Port().Read(sink, sizeof sink, (steering + round) % 7, (round & 1) != 0);
        }
        if (receiver.Port().BufferedCount() < 0 || receiver.Port().BufferedCount() > CComPort::kReceiveBufferSize)
            __builtin_trap();
    }
    receiver.Port().Purge();
    return 0;
}

} // namespace qvr::fuzz

#ifndef QVR_FUZZ_REPLAY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return qvr::fuzz::FuzzReadLog(data, size);
}
#endif
