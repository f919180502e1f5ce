#include "RecordingTrace.h"

namespace qvr::test {

bool RecordingTrace::Contains(const std::string& text) const { return Count(text) > 0; }

int RecordingTrace::Count(const std::string& text) const {
    int n = 0;
    for (const std::string& line : lines)
        if (line == text) ++n;
    return n;
}

} // namespace qvr::test
