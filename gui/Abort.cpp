#include "gui/Abort.h"

namespace {
constexpr uint32_t kSliceMs = 50;
}

void AbortableClock::Sleep(uint32_t ms) {
    while (ms > 0) {
        if (m_abort.Aborted()) {
            Skip(ms);
            return;
        }
        const uint32_t slice = ms < kSliceMs ? ms : kSliceMs;
        m_inner.Sleep(slice);
        ms -= slice;
    }
}

bool AbortableDevice::Read(uint8_t* dest, size_t count, uint32_t timeoutMs, size_t* received) {
    if (m_abort.Aborted()) {
        // As a port whose device went away: nothing, and the wait counted.
        *received = 0;
        m_clock.Skip(timeoutMs + 1);
        return false;
    }
    return m_inner.Read(dest, count, timeoutMs, received);
}

bool AbortableDevice::Write(const uint8_t* src, size_t count, size_t* written) {
    if (m_abort.Aborted()) {
        *written = 0;
        return false;
    }
    return m_inner.Write(src, count, written);
}
