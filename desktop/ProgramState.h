#pragma once
#include <memory>

#include <QPointer>
#include <QWidget>

#include "MAReceiver.h"

class ReceiverWorker;
class QtOperator;

// The desktop program's program-wide state: the receiver object, the data
// record the refresh fills, the connected flag and the locked page, plus the
// worker thread every receiver operation runs on and the operator adapter
// through which the core shows its messages.
struct ProgramState {
    qvr::MAReceiver* receiver = nullptr;
    qvr::ReceiverData record{};
    bool connected = false;
    QPointer<QWidget> lockedPage;
    ReceiverWorker* worker = nullptr;
    QtOperator* ui = nullptr;
    // The simulated receiver's port when the program was started with
    // --simulate (listed first in the port list).
    QString simulatedPort;
};

// The one instance of the running program.
ProgramState& Program();
