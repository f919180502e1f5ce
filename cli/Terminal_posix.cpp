#include "Terminal.h"

#include <cerrno>
#include <climits>
#include <cstring>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/NetworkPort.h"
#include "platform/SerialDevice_posix.h"

namespace qvr::cli {

bool StderrIsTerminal() { return isatty(STDERR_FILENO) != 0; }

bool GuardStandardStreams() {
    bool stdoutClosed = false;
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // open() takes the lowest free number: this one.
        const int stand = ::open(fd == 0 ? "/dev/null" : "/dev/full", fd == 0 ? O_RDONLY : O_WRONLY);
        if (stand >= 0 && stand != fd) ::close(stand);
        if (fd == 1) stdoutClosed = true;
    }
    return stdoutClosed;
}

namespace {

std::string DescribeNetworkOpenError(int error) {
    const std::string seconds = std::to_string(kNetworkConnectTimeoutMs / 1000);
    switch (error) {
    case EINVAL: return "a serial server is named tcp://HOST:PORT or rfc2217://HOST:PORT (PORT 1 to 65535)";
    case EADDRNOTAVAIL: return "the host name is not known";
    case ECONNREFUSED: return "the connection was refused: nothing listens at that address and port";
    case ETIMEDOUT: return "the server did not answer within " + seconds + " s";
    case EPROTONOSUPPORT: return "the server refused the COM-PORT-OPTION (is it a raw TCP port? use tcp://)";
    case ECONNRESET: return "the server closed the connection";
    default: return std::strerror(error);
    }
}

} // namespace

std::string DescribeOpenError(int error, const char* portName) {
    if (IsNetworkPortName(portName)) return DescribeNetworkOpenError(error);
    char path[PATH_MAX];
    if (!ResolveSerialDevicePath(portName, path, sizeof path)) return "the port name is too long";
    switch (error) {
    case ENOENT:
        // "COM3" and "ttyUSB0" are looked for under another name.
        return std::string("there is no such device") +
               (std::strcmp(path, portName) != 0 ? std::string(" (") + path + ")" : std::string()) +
               "; `qvrctl ports` lists the serial ports";
    case ENXIO:
    case ENODEV: return "the device is not there (unplugged?)";
    case ENOTDIR:
    case ENOTTY: return "it is not a serial port";
    case EISDIR: return "it is a folder, not a serial port";
    case EBUSY: return "the port is in use by another program";
    case ENAMETOOLONG: return "the port name is too long";
    case EACCES:
    case EPERM: {
        // Serial ports belong to a group (dialout, uucp) whose members may
        // open them; one that only root may open has no such group.
        struct stat info {};
        const struct group* g = ::stat(path, &info) == 0 ? ::getgrgid(info.st_gid) : nullptr;
        // Only a group made for serial lines is worth joining: "tty" would
        // give write access to every terminal of every user.
        bool serialGroup = false;
        for (const char* name : {"dialout", "uucp", "serial", "dialer", "modem"})
            serialGroup = serialGroup || (g && std::strcmp(g->gr_name, name) == 0);
        if (g && info.st_gid != 0 && serialGroup)
            return "permission denied: " + std::string(path) + " belongs to the group " + g->gr_name +
                   "; add your user to it (sudo usermod -aG " + g->gr_name + " $USER) and log in again";
        if (g && info.st_gid != 0) {
            const struct passwd* owner = ::getpwuid(info.st_uid);
            const std::string user = owner ? owner->pw_name : std::to_string(info.st_uid);
            return "permission denied: " + std::string(path) + " belongs to the user " + user + " and the group " +
                   g->gr_name + ", which is not a serial port group; run qvrctl as " + user +
                   " or have the device given to the group dialout";
        }
        return "permission denied: " + std::string(path) +
               " may be opened by root only; serial ports are usually given to the group dialout: have it given "
               "to that group, add your user to it (sudo usermod -aG dialout $USER) and log in again";
    }
    default: return std::strerror(error);
    }
}

} // namespace qvr::cli
