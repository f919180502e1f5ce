#pragma once
#include <cstddef>

namespace qvr {

// Turns a port name into the device path that the POSIX serial device opens:
//   - a name containing '/' is a path and is used as it is;
//   - "COMn", "COM" followed only by decimal digits with a value of at least 1
//     (at most 9 digits), is /dev/ttyS<n-1>: "COM1" is /dev/ttyS0;
//   - any other name, "COM0" and "COM" included, is /dev/<name>.
// Writes the terminated path into out. Returns false when name is null or
// empty or the path does not fit in outSize bytes.
bool ResolveSerialDevicePath(const char* name, char* out, size_t outSize);

// Lowers modem-control lines (TIOCM_DTR, TIOCM_RTS bits) of an open tty;
// returns what ioctl(TIOCMBIC) returns. The serial device lowers DTR and RTS
// through this whenever it applies line settings. Replaceable so that a test
// can see the call: a pseudo-terminal has no modem lines. Null restores the
// system call.
using ModemLinesLowerer = int (*)(int fd, int bits);
void SetModemLinesLowerer(ModemLinesLowerer lower);

} // namespace qvr
