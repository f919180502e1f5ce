#include "Terminal.h"

#include <unistd.h>

namespace qvr::cli {

bool StderrIsTerminal() { return isatty(STDERR_FILENO) != 0; }

} // namespace qvr::cli
