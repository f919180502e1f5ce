#pragma once
#include "gui/SheetDialog.h"

struct ProgramState;
class CHandheldPage;
class QTabWidget;
class TabStrip;

// The handheld program's window: one tabbed sheet, caption "QVR Config
// Tool", shown maximised. Help (the "?" button beside the tabs, the title
// bar's help button, or F1) opens
// the help document at the active tab's anchor; Ctrl+D opens the Debug File
// dialog while connected, from whichever control has the keyboard focus.
class CQVRPropertySheet : public SheetDialog {
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
    // The tabs as the operator sees and taps them, with the help button.
    TabStrip* Strip() const { return m_strip; }

    // The help document at the anchor of the tab in front.
    void OpenContextHelp() override;
    // A key pressed with Ctrl; only 'D' does something, and only while
    // connected and no receiver operation runs.
    void HotKey(int key) override;

protected:
    bool IsHotKey(int key) const override;
    void closeEvent(QCloseEvent* event) override;

private:
    void TabChanged(int index);

    QTabWidget* m_tabs;
    TabStrip* m_strip;
};
