#pragma once
#include "platform/PortEnumerator.h"

namespace qvr {

// Lists the serial ports found in a sysfs tty class directory, normally
// "/sys/class/tty" (which CreateSystemPortEnumerator() uses). A port is an
// entry with a "device" link, a driver behind it; "ttyS" entries whose
// "type" reads 0 are placeholders with no UART and are left out. Names come
// in natural order ("ttyS2" before "ttyS10"), at most 256 of them.
std::unique_ptr<IPortEnumerator> CreateSysfsPortEnumerator(const char* sysClassTtyDir);

} // namespace qvr
