#pragma once
#include <memory>

#include "MAReceiver.h"
#include "RateMemory.h"
#include "gui/Abort.h"
#include "gui/QtOperator.h"
#include "gui/ReceiverWorker.h"

struct ProgramState;

// What both programs' main() set up around the user interface.

// --version and --help print to stdout and end the program before the
// application object is made, so that they work without a display. Returns
// -1 when neither was given, otherwise the exit status.
int HandleInformationOptions(int argc, char** argv, const char* programName);

// The programs read no options but --simulate[=PRESET]: a simulated receiver
// on a pseudo-terminal, listed first in the port list. False (with the
// reason on stderr, under the program's name) when it cannot be started.
bool StartRequestedSimulation(int argc, char** argv, const char* programName, ProgramState& program);

// The receiver object with everything it is wired to: the operator adapter,
// the worker, and the system clock and serial port wrapped so that closing
// the window stops a running operation at its next wait. It fills in the
// program state's receiver, ui, worker and abort switch. Made after the
// application object.
class ReceiverRuntime {
public:
    ReceiverRuntime(qvr::Variant variant, ProgramState& program);
    ReceiverWorker& Worker() { return m_worker; }

private:
    AbortSwitch m_abort;
    AbortableClock m_clock;
    std::unique_ptr<qvr::ISerialDevice> m_systemDevice;
    AbortableDevice m_device;
    QtOperator m_ui;
    ReceiverWorker m_worker;
    qvr::RateFile m_rates;
    std::unique_ptr<qvr::MAReceiver> m_receiver;
};

// Whether the connect tries first the rate it last found the receiver at on
// the port (kept in the program's settings; on unless switched off).
bool RememberRateSetting();
void SetRememberRateSetting(ProgramState& program, bool on);

// After the event loop: an operation that does not stop (a port that
// blocks) must not keep the process, the system releases the port at exit.
// Stops the simulated receiver; returns the exit code.
int FinishProgram(ReceiverWorker& worker, int exitCode);
