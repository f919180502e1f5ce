#include "TestFiles.h"

namespace qvr::test {

// Windows pipes live in a namespace of their own, never at a file path.
bool MakeFifo(const std::string&) { return false; }

bool LimitFileSize(unsigned long long) { return false; }

int FileMode(const std::string&) { return -1; }

} // namespace qvr::test
