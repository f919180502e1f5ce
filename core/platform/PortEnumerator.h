#pragma once
#include <memory>

#include "platform/Trace.h"

namespace qvr {

// Lists the computer's serial ports.
class IPortEnumerator {
public:
    using Visitor = void (*)(void* context, const char* portName);
    virtual ~IPortEnumerator() = default;
    // Calls visit once per serial port, in the system's order. Returns false
    // when the list cannot be read at all (nothing is visited then).
    virtual bool Enumerate(Visitor visit, void* context) = 0;
};

// The production port enumeration of this operating system. Its diagnostic
// lines go to trace (the system trace when null).
std::unique_ptr<IPortEnumerator> CreateSystemPortEnumerator(ITrace* trace = nullptr);

} // namespace qvr
