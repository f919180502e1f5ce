#include "TestFiles.h"

#include <sys/stat.h>

namespace qvr::test {

bool MakeFifo(const std::string& path) { return ::mkfifo(path.c_str(), 0600) == 0; }

} // namespace qvr::test
