// QVRConfigTool: the configuration tool for small field controllers.
#include <QApplication>

#include "handheld/App.h"
#include "handheld/PropertySheet.h"
#include "gui/ProgramState.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("QVRConfigTool");
    ProgramState program;
    CQVRConfigToolApp app(program);
    app.Sheet()->showMaximized();
    return application.exec();
}
