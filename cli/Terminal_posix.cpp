#include "Terminal.h"

#include <cerrno>
#include <climits>
#include <cstring>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/SerialDevice_posix.h"

namespace qvr::cli {

bool StderrIsTerminal() { return isatty(STDERR_FILENO) != 0; }

std::string DescribeOpenError(int error, const char* portName) {
    char path[PATH_MAX];
    if (!ResolveSerialDevicePath(portName, path, sizeof path)) return "the port name is too long";
    switch (error) {
    case ENOENT: return std::string("there is no such device (") + path + "); `qvrctl ports` lists the serial ports";
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
        // open them.
        std::string group = "dialout";
        struct stat info {};
        if (::stat(path, &info) == 0)
            if (const struct group* g = ::getgrgid(info.st_gid)) group = g->gr_name;
        return "permission denied: " + std::string(path) + " belongs to the group " + group +
               "; add your user to it (sudo usermod -aG " + group + " $USER) and log in again";
    }
    default: return std::strerror(error);
    }
}

} // namespace qvr::cli
