#pragma once
#include <QSize>

#include "gui/SheetDialog.h"

struct ProgramState;
class CQVRPage;
class QTabWidget;

// The program's window: one tabbed sheet whose pages come and go with the
// connection. Only the tabs show; it is closed from the title bar. It routes
// help (F1 and the title bar's help button: topic 1 + the active tab's index)
// and the hot keys Ctrl+N, Ctrl+F, Ctrl+D and Ctrl+A while connected, from
// whichever of its controls has the keyboard focus.
class CQVRPropertySheet : public SheetDialog {
    Q_OBJECT
public:
    explicit CQVRPropertySheet(ProgramState& program, QWidget* parent = nullptr);

    void AddPage(CQVRPage* page);
    void RemovePage(CQVRPage* page);
    void SetActivePage(CQVRPage* page);
    CQVRPage* ActivePage() const;
    int PageCount() const;
    CQVRPage* PageAt(int index) const;
    QTabWidget* Tabs() const { return m_tabs; }
    // Back to the size it opened with, or the smallest the pages in it allow
    // when that is more. (Some styles, the Windows ones among them, open a
    // window wider than the least its layout takes.)
    void Shrink();

    // Help topic 1 + the active tab's index (0 to 7), as F1 opens it.
    void OpenContextHelp() override;
    // The four hot keys; ignored while not connected.
    void HotKey(int key) override;

signals:
    // Ctrl+N wrote a new serial number (the record has it).
    void serialNumberChanged();

protected:
    bool IsHotKey(int key) const override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void TabChanged(int index);
    void ChangeSerialNumber();
    void ChangeCenterFrequency();
    void OpenDebugFile();
    void OpenAtTestMode();

    QTabWidget* m_tabs;
    QSize m_openedSize;
};
