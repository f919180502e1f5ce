#pragma once
#include <string>

namespace qvr::test {

// A fresh empty folder in the system's temporary folder, its name starting
// with prefix; "" when none could be made.
std::string MakeTempFolder(const char* prefix);

// Makes a named pipe at path. False where the file system has none
// (Windows): a test then leaves its pipe case out.
bool MakeFifo(const std::string& path);

// Limits the size of the files this process writes (a write past it fails
// with EFBIG, as under "ulimit -f"), or lifts the limit again (0). False
// where there is no such limit (Windows).
bool LimitFileSize(unsigned long long bytes);

// The permission bits of a file (07777), -1 where there are none to read.
int FileMode(const std::string& path);

} // namespace qvr::test
