#include "gui/ProgramState.h"

#include <QCoreApplication>

void EndProgram(ProgramState& program, int exitCode) {
    if (program.endProgram) program.endProgram(exitCode);
    else QCoreApplication::exit(exitCode);
}
