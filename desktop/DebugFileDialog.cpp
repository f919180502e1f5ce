#include "desktop/DebugFileDialog.h"

CDebugFileDialog::CDebugFileDialog(ProgramState& program, QWidget* parent) : QDialog(parent), m_program(program) {
    setWindowTitle("Debug File");
}
