#pragma once
#include <cstdarg>

namespace qvr {

// The diagnostic trace: lines for developers, never shown to the operator.
class ITrace {
public:
    virtual ~ITrace() = default;
    // One formatted text, exactly as the caller built it.
    virtual void Write(const char* text) = 0;
};

// Formats into a fixed buffer (texts longer than 1023 bytes are cut) and
// writes the result to the trace. A null trace is allowed and ignored.
void TraceF(ITrace* trace, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
void TraceV(ITrace* trace, const char* format, va_list args);

// The production trace: writes to stderr when the environment variable
// QVR_TRACE is "-", appends to the file it names otherwise, and writes
// nothing when it is unset or empty.
ITrace& SystemTrace();

// A trace that drops everything.
ITrace& NullTrace();

// A trace that writes every line to stderr (for a "--trace" option).
ITrace& StderrTrace();

} // namespace qvr
