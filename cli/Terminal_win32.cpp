#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "Terminal.h"

#include <cstdio>
#include <io.h>

#include "platform/NetworkPort.h"

namespace qvr::cli {

// A program started without a console handle gets none; nothing takes its
// place by accident here.
bool GuardStandardStreams() { return false; }

bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

std::string DescribeOpenError(int error, const char* portName) {
    if (IsNetworkPortName(portName))
        return "serial servers on the network (tcp://, rfc2217://) cannot be used from this Windows build";
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return "there is no such port; `qvrctl ports` lists the serial ports";
    // A port open in another program refuses with access denied.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return "the port is in use by another program";
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_NAME: return "the port name is not valid";
    default: return "system error " + std::to_string(error);
    }
}

} // namespace qvr::cli
