// Serial port enumeration on Windows: the serial ports the drivers have
// registered under HARDWARE\DEVICEMAP\SERIALCOMM. Each value's data is a
// port name ("COM3").

#include "platform/PortEnumerator_win32.h"

#include <cstdio>

namespace qvr {
namespace {

class RegistryPortEnumerator final : public IPortEnumerator {
public:
    RegistryPortEnumerator(HKEY root, const char* subkey, ITrace* trace)
        : root_(root), trace_(trace != nullptr ? trace : &SystemTrace())
    {
        const int n = std::snprintf(subkey_, sizeof subkey_, "%s", subkey != nullptr ? subkey : "");
        if (n < 0 || static_cast<size_t>(n) >= sizeof subkey_)
            subkey_[0] = '\0'; // unusable: Enumerate() fails
    }

    bool Enumerate(Visitor visit, void* context) override
    {
        HKEY key = nullptr;
        if (subkey_[0] == '\0' ||
            ::RegOpenKeyExA(root_, subkey_, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;

        DWORD subkeys = 0;
        DWORD values = 0;
        if (::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                               nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            ::RegCloseKey(key);
            return false;
        }

        // The subkeys name no ports; they are listed for developers only.
        TraceF(trace_, "\nNumber of subkeys: %d\n", static_cast<int>(subkeys));
        for (DWORD index = 0; index < subkeys; ++index) {
            DWORD nameLength = sizeof name_;
            if (::RegEnumKeyExA(key, index, name_, &nameLength, nullptr, nullptr, nullptr,
                                nullptr) == ERROR_SUCCESS)
                TraceF(trace_, "(%d) %s\n", static_cast<int>(index + 1), name_);
        }

        // A value that cannot be read (its name or its text too long, or any
        // other failure) is skipped; the count bounds the walk, so a value
        // that always fails cannot hold it up.
        for (DWORD index = 0; index < values; ++index) {
            DWORD nameLength = sizeof name_;
            DWORD dataLength = sizeof data_ - 1; // room to add a terminator
            DWORD type = 0;
            const LONG result = ::RegEnumValueA(key, index, name_, &nameLength, nullptr, &type,
                                                data_, &dataLength);
            if (result == ERROR_NO_MORE_ITEMS)
                break; // values were removed while we read
            if (result != ERROR_SUCCESS || type != REG_SZ)
                continue;
            data_[dataLength] = 0; // the stored text need not be terminated
            if (data_[0] == 0)
                continue;
            visit(context, reinterpret_cast<const char*>(data_));
        }
        ::RegCloseKey(key);
        return true;
    }

private:
    HKEY root_;
    ITrace* trace_;
    char subkey_[256];
    char name_[16384]; // the longest key or value name + 1
    BYTE data_[261];
};

} // namespace

std::unique_ptr<IPortEnumerator> CreateRegistryPortEnumerator(HKEY root, const char* subkey,
                                                              ITrace* trace)
{
    return std::make_unique<RegistryPortEnumerator>(root, subkey, trace);
}

std::unique_ptr<IPortEnumerator> CreateSystemPortEnumerator(ITrace* trace)
{
    return CreateRegistryPortEnumerator(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", trace);
}

} // namespace qvr
