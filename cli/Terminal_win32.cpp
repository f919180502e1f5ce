#include "Terminal.h"

#include <cstdio>
#include <io.h>

namespace qvr::cli {

bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

} // namespace qvr::cli
