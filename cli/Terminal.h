#pragma once
#include <string>

namespace qvr::cli {

// Whether stderr is a terminal (a progress bar is drawn only there).
bool StderrIsTerminal();

// Called first. A standard stream the program was started without
// (`qvrctl ports >&-`) gets a stand-in, so that no file opened later (the
// serial port) takes its number and receives what is printed: stdout's
// stand-in refuses every write, so the output is found unwritten at the end.
// True when stdout was closed.
bool GuardStandardStreams();

// Why a serial port could not be opened, from the system's error code of
// the failed open, with the way out where there is one ("permission
// denied: ... add your user to the group dialout ...").
std::string DescribeOpenError(int error, const char* portName);

} // namespace qvr::cli
