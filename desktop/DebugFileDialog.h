#pragma once
#include <QDialog>

struct ProgramState;

// "Debug File" (Ctrl+D): switches the receiver's debug recording, downloads
// and deletes its debug file.
class CDebugFileDialog : public QDialog {
    Q_OBJECT
public:
    explicit CDebugFileDialog(ProgramState& program, QWidget* parent = nullptr);

private:
    ProgramState& m_program;
};
