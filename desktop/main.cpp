// QVR4100MAConfigTool: the desktop configuration tool.
#include <QApplication>

#include "QvrVersion.h"
#include "desktop/App.h"
#include "desktop/PropertySheet.h"
#include "gui/AppIcon.h"
#include "gui/ProgramState.h"
#include "gui/ScriptedRun.h"
#include "gui/Startup.h"

int main(int argc, char** argv) {
    if (const int status = HandleInformationOptions(argc, argv, "QVR4100MAConfigTool"); status >= 0) return status;
    ProgramState program;
    if (!StartRequestedSimulation(argc, argv, "QVR4100MAConfigTool", program)) return 1;

    QApplication application(argc, argv);
    QApplication::setApplicationName("QVR4100MAConfigTool");
    QApplication::setApplicationVersion(QVR_VERSION);
    QApplication::setDesktopFileName("QVR4100MAConfigTool");  // its menu entry and icon
    QApplication::setWindowIcon(AppIcon());
    ReceiverRuntime runtime(qvr::Variant::Desktop, program);

    int result = 0;
    {
        CQVR4100MAQuickToolApp app(program);
        app.Sheet()->show();
        StartScriptedRun(app.Sheet(), program);
        result = application.exec();
        // Before the pages go: a job's end still reaches them.
        result = FinishProgram(runtime.Worker(), result);
    }
    return result;
}
