// Serial servers on the network are not reached from Windows builds yet:
// opening tcp:// or rfc2217:// fails with ERROR_NOT_SUPPORTED ("The request
// is not supported.").

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "platform/NetworkPort.h"

namespace qvr {

namespace {

class UnsupportedNetworkDevice final : public ISerialDevice {
public:
    bool Open(const char*) override { return false; }
    bool IsOpen() const override { return false; }
    void Close() override {}
    bool FetchLineSettings() override { return false; }
    bool ApplyLineSettings(int) override { return false; }
    bool Read(uint8_t*, size_t, uint32_t, size_t* received) override
    {
        *received = 0;
        return false;
    }
    bool Write(const uint8_t*, size_t, size_t* written) override
    {
        *written = 0;
        return false;
    }
    int LastError() const override { return ERROR_NOT_SUPPORTED; }
};

} // namespace

std::unique_ptr<ISerialDevice> CreateNetworkSerialDevice()
{
    return std::make_unique<UnsupportedNetworkDevice>();
}

} // namespace qvr
