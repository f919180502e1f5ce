#include "gui/Simulation.h"

#include <cstdio>

#include <windows.h>

// The simulated receiver is served on a pseudo-terminal, which this system
// does not have.
std::string StartSimulation(const std::string&, std::string* error) {
    *error = "a simulated receiver needs a pseudo-terminal, which Windows does not offer";
    return {};
}

void StopSimulation() {}

namespace {

std::wstring Wide(const std::string& utf8) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    if (size <= 0) return L"?";
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), size);
    wide.pop_back();  // the terminating zero
    return wide;
}

} // namespace

void ReportStartupError(const char* programName, const std::string& text) {
    // A window program has a standard error only when its starter gave it
    // one (a console, a redirection, Wine from a terminal).
    const HANDLE stderrHandle = GetStdHandle(STD_ERROR_HANDLE);
    if (stderrHandle && stderrHandle != INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "%s: %s\n", programName, text.c_str());
        std::fflush(stderr);
        return;
    }
    MessageBoxW(nullptr, Wide(text).c_str(), Wide(programName).c_str(), MB_OK | MB_ICONERROR);
}
