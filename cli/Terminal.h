#pragma once
#include <string>

namespace qvr::cli {

// Whether stderr is a terminal (a progress bar is drawn only there).
bool StderrIsTerminal();

// Why a serial port could not be opened, from the system's error code of
// the failed open, with the way out where there is one ("permission
// denied: ... add your user to the group dialout ...").
std::string DescribeOpenError(int error, const char* portName);

} // namespace qvr::cli
