#include "handheld/SingleInstance.h"

#include <cstdlib>
#include <string>

#include <windows.h>

namespace {

class NamedMutex : public SingleInstance {
public:
    explicit NamedMutex(HANDLE handle) : m_handle(handle) {}
    ~NamedMutex() override { CloseHandle(m_handle); }

private:
    HANDLE m_handle;
};

} // namespace

std::string SingleInstance::ShowChannel(const char* name) {
    // A pipe name per user and session.
    const char* user = std::getenv("USERNAME");
    if (!user) user = "";
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return std::string(name) + "-" + user + "-" + std::to_string(session) + ".show";
}

std::unique_ptr<SingleInstance> SingleInstance::Acquire(const char* name) {
    HANDLE handle = CreateMutexA(nullptr, TRUE, name);
    if (!handle) return nullptr;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(handle);
        return nullptr;
    }
    return std::make_unique<NamedMutex>(handle);
}
