#include "handheld/ProcessList.h"

#include <windows.h>
#include <tlhelp32.h>

namespace {

// A process's executable name (UTF-16 on this system) as UTF-8; empty when
// it cannot be converted.
std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string utf8(static_cast<size_t>(size), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr) != size) return {};
    utf8.pop_back();  // the terminating zero
    return utf8;
}

// The wide-character walk, whatever UNICODE says: names outside the ANSI
// code page come through whole.
class ToolhelpProcessList : public IProcessList {
public:
    bool Snapshot(std::vector<std::string>* names) override {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE) return false;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
            names->push_back(Utf8(entry.szExeFile));
        CloseHandle(snapshot);
        return true;
    }
};

} // namespace

std::unique_ptr<IProcessList> CreateSystemProcessList() { return std::make_unique<ToolhelpProcessList>(); }
