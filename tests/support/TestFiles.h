#pragma once
#include <string>

namespace qvr::test {

// A fresh empty folder in the system's temporary folder, its name starting
// with prefix; "" when none could be made.
std::string MakeTempFolder(const char* prefix);

// Makes a named pipe at path. False where the file system has none
// (Windows): a test then leaves its pipe case out.
bool MakeFifo(const std::string& path);

} // namespace qvr::test
