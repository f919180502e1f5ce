#pragma once
#include <QDialog>

struct ProgramState;

// What the two programs' tabbed sheets share. F1 and the title bar's help
// button open the help of the tab in front. Ctrl with one of the sheet's hot
// keys reaches the sheet from every control in it while connected, also from
// those that would take the key for themselves (lists, edit fields). Escape
// does not close the sheet; the title bar does.
class SheetDialog : public QDialog {
    Q_OBJECT
public:
    ~SheetDialog() override;

    // The help of the tab in front.
    virtual void OpenContextHelp() = 0;
    // A key pressed with Ctrl.
    virtual void HotKey(int key) = 0;

protected:
    SheetDialog(ProgramState& program, QWidget* parent);
    // True for a key the sheet takes with Ctrl before its controls do.
    virtual bool IsHotKey(int key) const = 0;

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

    ProgramState& m_program;
};
