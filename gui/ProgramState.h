#pragma once
#include <functional>

#include <QPointer>
#include <QString>
#include <QWidget>

#include "MAReceiver.h"

class AbortSwitch;
class QtOperator;
class ReceiverWorker;

// A program's state for the whole run, made by main() and handed to the
// pages: the receiver object, the data record the refresh fills, the
// connected flag and the locked page, the worker every receiver operation
// runs on and the operator adapter through which the core shows messages.
struct ProgramState {
    qvr::MAReceiver* receiver = nullptr;
    qvr::ReceiverData record{};
    bool connected = false;
    // Set by an upgrade page when its upgrade starts; never cleared.
    QPointer<QWidget> lockedPage;
    ReceiverWorker* worker = nullptr;
    QtOperator* ui = nullptr;
    // The simulated receiver's port when the program was started with
    // --simulate (listed first in the port list).
    QString simulatedPort;
    // The upgrade engines open the PC port with a device of their own: this
    // one, on this clock and trace (null: a new system device, the
    // receiver's clock and trace).
    qvr::ISerialDevice* upgradeDevice = nullptr;
    qvr::IClock* clock = nullptr;
    qvr::ITrace* trace = nullptr;
    // The rates the connect remembers per port (null: none); the desktop's
    // Connection page switches it on and off.
    qvr::RateFile* rates = nullptr;
    // Ends the program with an exit code (after an upgrade or a
    // centre-frequency change). Unset: the application's event loop ends.
    std::function<void(int)> endProgram;
    // Thrown when the program closes while a receiver operation runs; null
    // when nothing can be stopped.
    AbortSwitch* abort = nullptr;
};

// Ends the program as the state says.
void EndProgram(ProgramState& program, int exitCode);

// The window is closing: a receiver operation still running is stopped at
// its next wait (nothing more is shown, the port is let go) and waited for,
// with the window already hidden, for at most a few seconds.
void StopRunningOperation(ProgramState& program, QWidget* window);
