#include "handheld/ProcessList.h"

bool CompanionRunning(IProcessList& processes, const char* companion) {
    std::vector<std::string> names;
    if (!processes.Snapshot(&names)) return false;
    const std::string text = companion;
    for (const std::string& name : names)
        if (!name.empty() && text.find(name) != std::string::npos) return true;
    return false;
}
