#pragma once
#include <vector>

#include <QDialog>

class CQVRPage;
class QTabWidget;

// The program's window: one tabbed sheet whose pages come and go with the
// connection. Only the tabs show; it is closed from the title bar. It routes
// help (F1 and the title bar's help button: topic 1 + the active tab's index)
// and the hot keys Ctrl+N, Ctrl+F, Ctrl+D and Ctrl+A while connected.
class CQVRPropertySheet : public QDialog {
    Q_OBJECT
public:
    explicit CQVRPropertySheet(QWidget* parent = nullptr);

    void AddPage(CQVRPage* page);
    void RemovePage(CQVRPage* page);
    void SetActivePage(CQVRPage* page);
    CQVRPage* ActivePage() const;
    int PageCount() const;
    CQVRPage* PageAt(int index) const;
    QTabWidget* Tabs() const { return m_tabs; }

    // Help topic 1 + the active tab's index (0 to 7), as F1 opens it.
    void OpenContextHelp();
    // The four hot keys; ignored while not connected.
    void HotKey(int key);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void TabChanged(int index);
    void ChangeSerialNumber();
    void ChangeCenterFrequency();

    QTabWidget* m_tabs;
};
