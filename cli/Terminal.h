#pragma once

namespace qvr::cli {

// Whether stderr is a terminal (a progress bar is drawn only there).
bool StderrIsTerminal();

} // namespace qvr::cli
