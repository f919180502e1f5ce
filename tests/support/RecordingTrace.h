#pragma once
#include <string>
#include <vector>

#include "platform/Trace.h"

namespace qvr::test {

// Keeps every trace text, for tests that check what was written.
class RecordingTrace : public ITrace {
public:
    void Write(const char* text) override { lines.emplace_back(text); }
    bool Contains(const std::string& text) const;
    int Count(const std::string& text) const;
    std::vector<std::string> lines;
};

} // namespace qvr::test
