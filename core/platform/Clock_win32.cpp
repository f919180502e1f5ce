// The real clock on Windows: the system tick count and Sleep.

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "platform/Clock.h"

namespace qvr {
namespace {

class WindowsClock final : public IClock {
public:
    void Sleep(uint32_t ms) override { ::Sleep(ms); }
    uint32_t GetTickCount() override { return ::GetTickCount(); }
};

} // namespace

IClock& SystemClock()
{
    static WindowsClock clock;
    return clock;
}

} // namespace qvr
