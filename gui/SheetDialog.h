#pragma once
#include <QDialog>

struct ProgramState;
class QTabWidget;

// What the two programs' tabbed sheets share. F1 and the title bar's help
// button open the help of the tab in front. Ctrl with one of the sheet's hot
// keys reaches the sheet from every control in it while connected, and the
// key then goes on to the control (Ctrl+A still selects an edit field's
// text), except in a drop-down list, where it would be type-ahead. Escape
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

    // After a service dialog has closed: while the operation it started
    // still holds the receiver (a download goes on by design), the tabs'
    // pages are disabled, until it has ended.
    void HoldPagesWhileWorkerRuns(QTabWidget* tabs);
    // True while that lasts. A hot key pressed then says why it does
    // nothing (with the program's caption) and is not acted on.
    bool HeldByBackground() const { return m_held; }
    void SayBackgroundRunning(const char* caption);

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

    ProgramState& m_program;

private:
    static bool InDropDownList(const QWidget* widget);
    bool m_forwarding = false;  // a hot key's own key event on its way to its control
    bool m_held = false;
    bool m_releasePending = false;
};
