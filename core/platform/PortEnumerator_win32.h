#pragma once
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "platform/PortEnumerator.h"

namespace qvr {

// The serial ports registered as the values of the registry key subkey under
// root (the system's list is HKEY_LOCAL_MACHINE
// "HARDWARE\\DEVICEMAP\\SERIALCOMM"): each value's text is a port name. A
// value that cannot be read, is not text or is empty is skipped. The key's
// subkeys name no ports; they are listed in the trace only.
std::unique_ptr<IPortEnumerator> CreateRegistryPortEnumerator(HKEY root, const char* subkey,
                                                              ITrace* trace);

} // namespace qvr
