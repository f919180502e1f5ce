// The serial device on Windows: a COM port handle with blocking ReadFile
// and WriteFile; the read time-out is the port's total read time-out.

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "platform/SerialDevice.h"
#include "platform/NetworkPort.h"

#include <cstdio>
#include <cstring>

namespace qvr {
namespace {

class Win32SerialDevice final : public ISerialDevice {
public:
    ~Win32SerialDevice() override { Close(); }

    bool Open(const char* name) override
    {
        Close();
        if (name == nullptr || name[0] == '\0')
            return Fail(ERROR_INVALID_NAME);

        // "COM10" and above only open through the device namespace, so every
        // plain name goes there; a path is used as it is.
        char path[MAX_PATH];
        const bool isPath = std::strchr(name, '/') != nullptr || std::strchr(name, '\\') != nullptr;
        const int n = std::snprintf(path, sizeof path, isPath ? "%s" : "\\\\.\\%s", name);
        if (n < 0 || static_cast<size_t>(n) >= sizeof path)
            return Fail(ERROR_FILENAME_EXCED_RANGE);

        // No sharing: a port already open elsewhere fails with access denied.
        const HANDLE handle = ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                            OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return Fail(::GetLastError());
        // Only a request for the driver's buffer sizes; some drivers refuse
        // it and work well all the same.
        ::SetupComm(handle, 4096, 4096);

        handle_ = handle;
        timeoutsSet_ = false;
        return true;
    }

    bool IsOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }

    void Close() override
    {
        if (handle_ == INVALID_HANDLE_VALUE)
            return;
        ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        fetched_ = false;
        timeoutsSet_ = false;
    }

    bool FetchLineSettings() override
    {
        if (!IsOpen())
            return Fail(ERROR_INVALID_HANDLE);
        DCB dcb;
        std::memset(&dcb, 0, sizeof dcb);
        dcb.DCBlength = sizeof dcb;
        if (!::GetCommState(handle_, &dcb))
            return Fail(::GetLastError());
        dcb_ = dcb;
        fetched_ = true;
        return true;
    }

    bool ApplyLineSettings(int baudRate) override
    {
        if (!IsOpen())
            return Fail(ERROR_INVALID_HANDLE);
        if (!fetched_ && !FetchLineSettings())
            return false;

        DCB dcb = dcb_;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fBinary = 1;
        dcb.fParity = 0;
        dcb.fOutxCtsFlow = 0;
        dcb.fOutxDsrFlow = 0;
        dcb.fDtrControl = DTR_CONTROL_DISABLE;
        dcb.fDsrSensitivity = 0;
        dcb.fTXContinueOnXoff = 0;
        dcb.fOutX = 0;
        dcb.fInX = 0;
        dcb.fErrorChar = 0;
        dcb.fNull = 0;
        dcb.fRtsControl = RTS_CONTROL_DISABLE;
        dcb.fAbortOnError = 0;
        // DTR and RTS are not driven (both low). A rate the driver refuses
        // fails the whole change, so the rest is then applied at the rate in
        // force and the refusal reported.
        DWORD refused = baudRate > 0 ? 0 : ERROR_INVALID_PARAMETER;
        if (refused == 0) {
            dcb.BaudRate = static_cast<DWORD>(baudRate);
            if (!::SetCommState(handle_, &dcb)) {
                refused = ::GetLastError();
                dcb.BaudRate = dcb_.BaudRate;
            }
        }
        if (refused != 0 && !::SetCommState(handle_, &dcb))
            return Fail(refused);

        // The driver may accept a rate it cannot do; check what is in force.
        DCB check;
        std::memset(&check, 0, sizeof check);
        check.DCBlength = sizeof check;
        if (!::GetCommState(handle_, &check))
            return Fail(::GetLastError());
        dcb_ = check;
        if (refused != 0)
            return Fail(refused);
        if (check.BaudRate != dcb.BaudRate)
            return Fail(ERROR_INVALID_PARAMETER);
        return true;
    }

    bool Read(uint8_t* dest, size_t count, uint32_t timeoutMs, size_t* received) override
    {
        *received = 0;
        if (!IsOpen())
            return Fail(ERROR_INVALID_HANDLE);
        if (count == 0)
            return true;
        if (!timeoutsSet_ || timeoutMs != readTimeoutMs_) {
            COMMTIMEOUTS timeouts;
            std::memset(&timeouts, 0, sizeof timeouts);
            // A total time-out only: ReadFile returns when the count is in
            // or the time is up. All zeros would mean "wait for the count
            // forever", so a zero time-out is "return what is there".
            timeouts.ReadIntervalTimeout = timeoutMs == 0 ? MAXDWORD : 0;
            timeouts.ReadTotalTimeoutMultiplier = 0;
            timeouts.ReadTotalTimeoutConstant = timeoutMs;
            timeouts.WriteTotalTimeoutMultiplier = 0;
            timeouts.WriteTotalTimeoutConstant = 0;
            if (!::SetCommTimeouts(handle_, &timeouts))
                return Fail(::GetLastError());
            readTimeoutMs_ = timeoutMs;
            timeoutsSet_ = true;
        }
        const DWORD want = count > MAXDWORD ? MAXDWORD : static_cast<DWORD>(count);
        DWORD got = 0;
        const BOOL ok = ::ReadFile(handle_, dest, want, &got, nullptr);
        *received = got;
        if (!ok)
            return Fail(::GetLastError());
        return true;
    }

    bool Write(const uint8_t* src, size_t count, size_t* written) override
    {
        *written = 0;
        if (!IsOpen())
            return Fail(ERROR_INVALID_HANDLE);
        size_t done = 0;
        while (done < count) {
            const size_t left = count - done;
            const DWORD chunk = left > MAXDWORD ? MAXDWORD : static_cast<DWORD>(left);
            DWORD n = 0;
            if (!::WriteFile(handle_, src + done, chunk, &n, nullptr)) {
                *written = done + n;
                return Fail(::GetLastError());
            }
            if (n == 0) { // no time-out is set, so the driver refused the bytes
                *written = done;
                return Fail(ERROR_WRITE_FAULT);
            }
            done += n;
        }
        *written = done;
        return true;
    }

    bool HasGone() override
    {
        if (handle_ == INVALID_HANDLE_VALUE)
            return false;
        // A removed device fails every communications call on its handle.
        DWORD errors = 0;
        COMSTAT status{};
        return ::ClearCommError(handle_, &errors, &status) == 0;
    }

    int LastError() const override { return static_cast<int>(lastError_); }

private:
    bool Fail(DWORD error)
    {
        lastError_ = error;
        return false;
    }

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    DCB dcb_{};
    bool fetched_ = false;
    DWORD readTimeoutMs_ = 0;
    bool timeoutsSet_ = false;
    DWORD lastError_ = 0;
};

} // namespace

std::unique_ptr<ISerialDevice> CreateLocalSerialDevice()
{
    return std::make_unique<Win32SerialDevice>();
}

// A port handle is never shared and nothing of it outlives the process:
// Windows closes it when the process ends.
void ReleaseSerialDevicesOnInterrupt() {}

} // namespace qvr
