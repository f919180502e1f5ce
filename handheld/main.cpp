// QVRConfigTool: the configuration tool for small field controllers.
#include <cstdio>
#include <memory>

#include <QApplication>
#include <QScreen>

#include "QvrVersion.h"
#include "gui/AppIcon.h"
#include "gui/ProgramState.h"
#include "gui/ScriptedRun.h"
#include "gui/Startup.h"
#include "gui/Touch.h"
#include "handheld/App.h"
#include "handheld/ProcessList.h"
#include "handheld/PropertySheet.h"
#include "handheld/ShowRequest.h"
#include "handheld/SingleInstance.h"

int main(int argc, char** argv) {
    if (const int status = HandleInformationOptions(argc, argv, "QVRConfigTool"); status >= 0) return status;
    // One copy per user: a second start ends at once. The lock of a run that
    // crashed went with its process.
    const std::unique_ptr<SingleInstance> instance = SingleInstance::Acquire("QVR4100MAConfigTool");
    const QString showChannel = QString::fromStdString(SingleInstance::ShowChannel("QVR4100MAConfigTool"));
    if (!instance) {
        // The running copy comes to the front instead.
        QCoreApplication second(argc, argv);
        const bool shown = RequestRunningCopyToShow(showChannel);
        std::fprintf(stderr, shown ? "QVRConfigTool: already running; its window is shown\n"
                                   : "QVRConfigTool: already running\n");
        return 0;
    }

    ProgramState program;
    if (!StartRequestedSimulation(argc, argv, "QVRConfigTool", program)) return 1;

    QApplication application(argc, argv);
    QApplication::setApplicationName("QVRConfigTool");
    QApplication::setApplicationVersion(QVR_VERSION);
    QApplication::setDesktopFileName("QVRConfigTool");  // its menu entry and icon
    QApplication::setWindowIcon(AppIcon());
    InstallTouchStyle();
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
        ShowRequestListener listener(showChannel, app.Sheet());
        StartScriptedRun(app.Sheet(), program);
        result = application.exec();
        // Before the pages go: a job's end still reaches them.
        result = FinishProgram(runtime.Worker(), result);
    }
    return result;
}
