// Trace formatting and the production trace sinks. Portable: built on every
// system.

#include "platform/Trace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#if defined(_MSC_VER)
#include <share.h>
#endif

namespace qvr {

void TraceV(ITrace* trace, const char* format, va_list args)
{
    if (trace == nullptr || format == nullptr)
        return;
    char text[1024];
    // vsnprintf never writes past the buffer and always terminates it, so a
    // longer text simply comes out cut at 1023 bytes.
    if (std::vsnprintf(text, sizeof text, format, args) < 0)
        return; // encoding error: the buffer contents are unspecified
    trace->Write(text);
}

void TraceF(ITrace* trace, const char* format, ...)
{
    if (trace == nullptr)
        return;
    va_list args;
    va_start(args, format);
    TraceV(trace, format, args);
    va_end(args);
}

namespace {

class DropTrace final : public ITrace {
public:
    void Write(const char*) override {}
};

// Writes each text as one line to a stdio stream, flushed at once so nothing
// is lost when the program dies. The mutex keeps lines from different threads
// whole.
class StreamTrace final : public ITrace {
public:
    explicit StreamTrace(std::FILE* stream) : stream_(stream) {}

    void Write(const char* text) override
    {
        if (text == nullptr)
            return;
        const size_t length = std::strlen(text);
        std::lock_guard<std::mutex> lock(mutex_);
        std::fwrite(text, 1, length, stream_);
        if (length == 0 || text[length - 1] != '\n')
            std::fputc('\n', stream_);
        std::fflush(stream_);
    }

private:
    std::mutex mutex_;
    std::FILE* stream_;
};

// Copies the value of QVR_TRACE into target; returns false when it is unset.
bool ReadTraceSetting(char* target, size_t size)
{
#if defined(_MSC_VER)
    size_t needed = 0;
    return getenv_s(&needed, target, size, "QVR_TRACE") == 0 && needed > 0;
#else
    const char* value = std::getenv("QVR_TRACE");
    if (value == nullptr)
        return false;
    const int n = std::snprintf(target, size, "%s", value);
    return n >= 0 && static_cast<size_t>(n) < size;
#endif
}

std::FILE* OpenTraceFile(const char* path)
{
#if defined(_MSC_VER)
    return _fsopen(path, "a", _SH_DENYNO); // others may read the trace while we write
#elif defined(__linux__)
    return std::fopen(path, "ae"); // not inherited by child processes
#else
    return std::fopen(path, "a");
#endif
}

ITrace* CreateSystemTrace()
{
    char setting[4096];
    if (!ReadTraceSetting(setting, sizeof setting) || setting[0] == '\0')
        return &NullTrace();
    if (std::strcmp(setting, "-") == 0)
        return new StreamTrace(stderr);
    std::FILE* file = OpenTraceFile(setting);
    if (file == nullptr)
        return &NullTrace();
    return new StreamTrace(file);
}

} // namespace

ITrace& SystemTrace()
{
    // Decided once, on first use. Never destroyed, so static destructors and
    // late threads can still trace while the program exits; the stream is
    // flushed after every line, so nothing is lost by not closing it.
    static ITrace* const trace = CreateSystemTrace();
    return *trace;
}

ITrace& NullTrace()
{
    static ITrace* const trace = new DropTrace; // never destroyed, as above
    return *trace;
}

ITrace& StderrTrace()
{
    static ITrace* const trace = new StreamTrace(stderr); // never destroyed, as above
    return *trace;
}

} // namespace qvr
