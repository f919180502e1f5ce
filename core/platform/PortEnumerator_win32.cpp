// Serial port enumeration on Windows: the serial ports the drivers have
// registered under HARDWARE\DEVICEMAP\SERIALCOMM. Each value's data is a
// port name ("COM3").

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "platform/PortEnumerator.h"

namespace qvr {
namespace {

class RegistryPortEnumerator final : public IPortEnumerator {
public:
    bool Enumerate(Visitor visit, void* context) override
    {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ,
                            &key) != ERROR_SUCCESS)
            return false;

        char valueName[16384]; // the longest value name + 1
        BYTE data[261];
        for (DWORD index = 0;; ++index) {
            DWORD nameLength = sizeof valueName;
            DWORD dataLength = sizeof data - 1; // room to add a terminator
            DWORD type = 0;
            const LONG result = ::RegEnumValueA(key, index, valueName, &nameLength, nullptr,
                                                &type, data, &dataLength);
            if (result == ERROR_NO_MORE_ITEMS)
                break;
            if (result == ERROR_MORE_DATA)
                continue; // not a port name we could use
            if (result != ERROR_SUCCESS)
                break;
            if (type != REG_SZ)
                continue;
            data[dataLength] = 0; // the stored text need not be terminated
            if (data[0] == 0)
                continue;
            visit(context, reinterpret_cast<const char*>(data));
        }
        ::RegCloseKey(key);
        return true;
    }
};

} // namespace

std::unique_ptr<IPortEnumerator> CreateSystemPortEnumerator()
{
    return std::make_unique<RegistryPortEnumerator>();
}

} // namespace qvr
