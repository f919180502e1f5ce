#include "gui/ProgramState.h"

#include <QCoreApplication>

#include "gui/Abort.h"
#include "gui/QtOperator.h"
#include "gui/ReceiverWorker.h"

void EndProgram(ProgramState& program, int exitCode) {
    if (program.endProgram) program.endProgram(exitCode);
    else QCoreApplication::exit(exitCode);
}

void StopRunningOperation(ProgramState& program, QWidget* window) {
    constexpr int kCloseWaitMs = 3000;
    ReceiverWorker* worker = program.worker;
    if (!worker || !worker->Busy()) return;
    if (program.abort) program.abort->Abort();
    if (program.ui) program.ui->SetSilent(true);
    window->hide();
    worker->WaitIdle(kCloseWaitMs);
}
