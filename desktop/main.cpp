// QVR4100MAConfigTool: the desktop configuration tool.
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <QApplication>

#include "MAReceiver.h"
#include "desktop/App.h"
#include "desktop/PropertySheet.h"
#include "gui/Abort.h"
#include "gui/AppIcon.h"
#include "gui/ProgramState.h"
#include "gui/QtOperator.h"
#include "gui/ReceiverWorker.h"
#include "gui/Simulation.h"
#include "platform/SerialDevice.h"

int main(int argc, char** argv) {
    // The program reads no options, but for --simulate[=PRESET]: a simulated
    // receiver on a pseudo-terminal, listed first in the port list.
    QString preset;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == "--simulate") preset = "uhf";
        else if (arg.startsWith("--simulate=")) preset = arg.mid(11);
    }
    ProgramState program;
    if (!preset.isEmpty()) {
        QString error;
        program.simulatedPort = StartSimulation(preset, &error);
        if (program.simulatedPort.isEmpty()) {
            std::fprintf(stderr, "QVR4100MAConfigTool: cannot start the simulated receiver: %s\n",
                         error.toLocal8Bit().constData());
            return 1;
        }
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName("QVR4100MAConfigTool");
    QApplication::setWindowIcon(AppIcon());

    // The receiver object's clock and port stop waiting when the window is
    // closed while an operation runs.
    AbortSwitch abort;
    AbortableClock clock(qvr::SystemClock(), abort);
    std::unique_ptr<qvr::ISerialDevice> systemDevice = qvr::CreateSystemSerialDevice();
    AbortableDevice device(*systemDevice, clock, abort);

    QtOperator ui;
    ReceiverWorker worker;
    qvr::PlatformServices services;
    services.clock = &clock;
    services.serial = &device;
    services.ui = &ui;
    services.status = &ui;
    qvr::MAReceiver receiver(qvr::Variant::Desktop, services);
    program.receiver = &receiver;
    program.ui = &ui;
    program.worker = &worker;
    program.abort = &abort;

    int result = 0;
    {
        CQVR4100MAQuickToolApp app(program);
        app.Sheet()->show();
        result = application.exec();
        // An operation that does not stop (a port that blocks) must not keep
        // the process: the system releases the port at exit.
        if (worker.Busy() && !worker.WaitIdle(2000)) {
            StopSimulation();
            std::_Exit(result);
        }
    }
    StopSimulation();
    return result;
}
