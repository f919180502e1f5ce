// QVRConfigTool: the configuration tool for small field controllers.
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <QApplication>
#include <QScreen>

#include "MAReceiver.h"
#include "gui/Abort.h"
#include "gui/AppIcon.h"
#include "gui/ProgramState.h"
#include "gui/QtOperator.h"
#include "gui/ReceiverWorker.h"
#include "gui/Simulation.h"
#include "handheld/App.h"
#include "handheld/ProcessList.h"
#include "handheld/PropertySheet.h"
#include "handheld/SingleInstance.h"
#include "platform/SerialDevice.h"

int main(int argc, char** argv) {
    // One copy per user: a second start ends at once. The lock of a run that
    // crashed went with its process.
    const std::unique_ptr<SingleInstance> instance = SingleInstance::Acquire("QVR4100MAConfigTool");
    if (!instance) {
        std::fprintf(stderr, "QVRConfigTool: already running\n");
        return 0;
    }

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
            std::fprintf(stderr, "QVRConfigTool: cannot start the simulated receiver: %s\n",
                         error.toLocal8Bit().constData());
            return 1;
        }
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName("QVRConfigTool");
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
    qvr::MAReceiver receiver(qvr::Variant::Handheld, services);
    program.receiver = &receiver;
    program.ui = &ui;
    program.worker = &worker;
    program.abort = &abort;
    // The program may have to end before its event loop runs (TRV+ found
    // when the Connection page is first shown): the end waits for the loop.
    program.endProgram = [&application](int code) {
        QMetaObject::invokeMethod(&application, [code] { QCoreApplication::exit(code); }, Qt::QueuedConnection);
    };

    const std::unique_ptr<IProcessList> processes = CreateSystemProcessList();
    int result = 0;
    {
        CQVRConfigToolApp app(program, processes.get());
        // The whole screen, also where no window manager maximises it.
        if (const QScreen* screen = app.Sheet()->screen()) app.Sheet()->setGeometry(screen->availableGeometry());
        app.Sheet()->showMaximized();
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
