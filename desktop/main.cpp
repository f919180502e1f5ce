// QVR4100MAConfigTool: the desktop configuration tool.
#include <cstdio>

#include <QApplication>
#include <QMessageBox>

#include "App.h"
#include "MAReceiver.h"
#include "ProgramState.h"
#include "PropertySheet.h"
#include "QtOperator.h"
#include "ReceiverWorker.h"
#include "Simulation.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("QVR4100MAConfigTool");

    // The program reads no options, but for --simulate[=PRESET]: a simulated
    // receiver on a pseudo-terminal, listed first in the port list.
    QString preset;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == "--simulate") preset = "uhf";
        else if (arg.startsWith("--simulate=")) preset = arg.mid(11);
    }
    ProgramState& p = Program();
    if (!preset.isEmpty()) {
        QString error;
        p.simulatedPort = StartSimulation(preset, &error);
        if (p.simulatedPort.isEmpty()) {
            std::fprintf(stderr, "QVR4100MAConfigTool: cannot start the simulated receiver: %s\n",
                         error.toLocal8Bit().constData());
            return 1;
        }
    }

    QtOperator ui;
    ReceiverWorker worker;
    qvr::PlatformServices services;
    services.ui = &ui;
    services.status = &ui;
    qvr::MAReceiver receiver(qvr::Variant::Desktop, services);
    p.receiver = &receiver;
    p.ui = &ui;
    p.worker = &worker;

    int result = 0;
    {
        CQVR4100MAQuickToolApp app;
        app.Sheet()->show();
        result = application.exec();
        worker.WaitIdle();
    }
    StopSimulation();
    return result;
}
