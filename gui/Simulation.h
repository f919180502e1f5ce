#pragma once
#include <string>

// --simulate[=PRESET]: a simulated receiver served on a pseudo-terminal in
// the background for training and demos. Returns the port to connect to, or
// an empty text (with the reason in *error) when it cannot be started (on a
// system without pseudo-terminals, always). Texts in UTF-8.
std::string StartSimulation(const std::string& preset, std::string* error);
void StopSimulation();

// Tells the operator why the program cannot start: on stderr, or, for a
// window program started without a console (Windows), in a message box.
void ReportStartupError(const char* programName, const std::string& text);
