#pragma once

namespace qvr::cli {

// Ctrl+C and termination requests. The handler gives the serial port up
// (on Linux clearing the tty's exclusive mode, which would refuse the next
// program, even the next qvrctl of another user), removes the temporary
// files registered with the core (TemporaryFiles.h), says so on stderr and
// ends the program with status 130.
//
// While the interruption is held (a radio being programmed: stopping then
// leaves it without firmware) the handler only says that it waits; the
// program ends after the held part, when main sees InterruptPending(); an
// interruption that came while held keeps the hold until then, so that the
// command's outcome is reported first.
void InstallInterruptHandler();
void HoldInterrupt(bool hold);
bool InterruptPending();

inline constexpr int kExitInterrupted = 130;

} // namespace qvr::cli
