// The real clock on POSIX systems: a monotonic millisecond count that wraps
// like the Windows tick count, so interval arithmetic is the same everywhere.

#include "platform/Clock.h"

#include <chrono>
#include <thread>

namespace qvr {
namespace {

class SteadyClock final : public IClock {
public:
    void Sleep(uint32_t ms) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }

    uint32_t GetTickCount() override
    {
        using namespace std::chrono;
        const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
        // Keep the low 32 bits: the count wraps about every 49.7 days.
        return static_cast<uint32_t>(static_cast<uint64_t>(ms));
    }
};

} // namespace

IClock& SystemClock()
{
    static SteadyClock clock;
    return clock;
}

} // namespace qvr
