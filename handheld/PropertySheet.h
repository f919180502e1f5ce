#pragma once
#include <QDialog>

struct ProgramState;
class CHandheldPage;
class QTabWidget;

// The handheld program's window: one full-screen tabbed sheet, caption "QVR
// Config Tool". Help opens the handheld help at the active tab's anchor;
// Ctrl+D opens the Debug File dialog while connected.
class CQVRPropertySheet : public QDialog {
    Q_OBJECT
public:
    explicit CQVRPropertySheet(ProgramState& program, QWidget* parent = nullptr);

    void AddPage(CHandheldPage* page);
    void RemovePage(CHandheldPage* page);
    void SetActivePage(CHandheldPage* page);
    CHandheldPage* ActivePage() const;
    int PageCount() const;
    CHandheldPage* PageAt(int index) const;
    QTabWidget* Tabs() const { return m_tabs; }

private:
    void TabChanged(int index);

    ProgramState& m_program;
    QTabWidget* m_tabs;
};
