#pragma once
#include <cstdint>

namespace qvr {

// Everything in the core that waits goes through a clock, so tests can run
// whole protocol sequences in virtual time.
class IClock {
public:
    virtual ~IClock() = default;
    // Pauses the calling thread for the given number of milliseconds.
    virtual void Sleep(uint32_t ms) = 0;
    // Milliseconds since an arbitrary origin; wraps around like the
    // Windows tick count. Compute intervals as unsigned differences.
    virtual uint32_t GetTickCount() = 0;
};

// The process-wide real clock.
IClock& SystemClock();

} // namespace qvr
