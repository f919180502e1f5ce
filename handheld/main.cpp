// QVRConfigTool: the configuration tool for small field controllers.
#include <cstdio>
#include <memory>

#include <QApplication>
#include <QScreen>

#include "gui/AppIcon.h"
#include "gui/ProgramState.h"
#include "gui/ScriptedRun.h"
#include "gui/Startup.h"
#include "handheld/App.h"
#include "handheld/ProcessList.h"
#include "handheld/PropertySheet.h"
#include "handheld/SingleInstance.h"

int main(int argc, char** argv) {
    // One copy per user: a second start ends at once. The lock of a run that
    // crashed went with its process.
    const std::unique_ptr<SingleInstance> instance = SingleInstance::Acquire("QVR4100MAConfigTool");
    if (!instance) {
        std::fprintf(stderr, "QVRConfigTool: already running\n");
        return 0;
    }

    ProgramState program;
    if (!StartRequestedSimulation(argc, argv, "QVRConfigTool", program)) return 1;

    QApplication application(argc, argv);
    QApplication::setApplicationName("QVRConfigTool");
    QApplication::setDesktopFileName("QVRConfigTool");  // its menu entry and icon
    QApplication::setWindowIcon(AppIcon());
    ReceiverRuntime runtime(qvr::Variant::Handheld, program);
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
        StartScriptedRun(app.Sheet(), program);
        result = application.exec();
        // Before the pages go: a job's end still reaches them.
        result = FinishProgram(runtime.Worker(), result);
    }
    return result;
}
