#include "handheld/SingleInstance.h"

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

std::unique_ptr<SingleInstance> SingleInstance::Acquire(const char* name) {
    HANDLE handle = CreateMutexA(nullptr, TRUE, name);
    if (!handle) return nullptr;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(handle);
        return nullptr;
    }
    return std::make_unique<NamedMutex>(handle);
}
