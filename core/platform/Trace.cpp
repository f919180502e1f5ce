// Trace formatting and the production trace sinks. Portable: built on every
// system.

#include "platform/Trace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/RegularFile.h"

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
        // Control characters (from a port name, a receiver's text) are
        // written escaped, as the messages show them: an ESC or a BEL never
        // reaches the terminal. Line ends stay.
        for (size_t i = 0; i < length; ++i) {
            const unsigned char c = static_cast<unsigned char>(text[i]);
            if (c == '\n' || c == '\t' || (c >= 0x20 && c != 0x7F)) {
                std::fputc(c, stream_);
            } else if (c == '\r') {
                std::fputs("\\r", stream_);
            } else {
                std::fprintf(stream_, "\\x%02X", c);
            }
        }
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

ITrace* CreateSystemTrace()
{
    char setting[4096];
    if (!ReadTraceSetting(setting, sizeof setting) || setting[0] == '\0')
        return &NullTrace();
    if (std::strcmp(setting, "-") == 0)
        return new StreamTrace(stderr);
    // Only a regular file is appended to, and never through a link: a FIFO
    // would hold the program in its open, a link could aim the trace at
    // any file the user may write.
    std::FILE* file = OpenRegularFileForAppending(setting);
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
