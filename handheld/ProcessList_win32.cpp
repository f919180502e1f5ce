#include "handheld/ProcessList.h"

#include <windows.h>
#include <tlhelp32.h>

namespace {

class ToolhelpProcessList : public IProcessList {
public:
    bool Snapshot(std::vector<std::string>* names) override {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE) return false;
        PROCESSENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
            names->push_back(entry.szExeFile);
        CloseHandle(snapshot);
        return true;
    }
};

} // namespace

std::unique_ptr<IProcessList> CreateSystemProcessList() { return std::make_unique<ToolhelpProcessList>(); }
