#pragma once
#include "SimTime.h"
#include "platform/Clock.h"

namespace qvr::sim {

// A clock that only moves when someone sleeps or waits: a read with a
// time-out on the virtual link moves it to the moment the read completes.
class VirtualClock : public IClock {
public:
    explicit VirtualClock(uint32_t tickOrigin = 0) : m_tickOrigin(tickOrigin) {}
    void Sleep(uint32_t ms) override { m_now += Ms(ms); }
    uint32_t GetTickCount() override { return m_tickOrigin + static_cast<uint32_t>(m_now / kMillisecond); }

    SimTime Now() const { return m_now; }
    void AdvanceTo(SimTime t) {
        if (t > m_now) m_now = t;
    }

private:
    SimTime m_now = 0;
    uint32_t m_tickOrigin;
};

} // namespace qvr::sim
