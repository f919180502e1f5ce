#include "handheld/PropertySheet.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/DebugFileDialog.h"
#include "gui/Help.h"
#include "gui/ProgramState.h"
#include "gui/QtOperator.h"
#include "gui/ReceiverWorker.h"
#include "handheld/HelpTopics.h"
#include "handheld/Pages.h"

CQVRPropertySheet::CQVRPropertySheet(ProgramState& program, QWidget* parent)
    : SheetDialog(program, parent), m_tabs(new QTabWidget(this)) {
    setObjectName("QVRPropertySheet");
    setWindowTitle("QVR Config Tool");
    // No OK button: the title bar carries the help button and closes the sheet.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowContextHelpButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_tabs);
    // Five tabs do not fit a narrow screen side by side: the tab bar scrolls.
    m_tabs->setObjectName("Tabs");
    m_tabs->setUsesScrollButtons(true);
    m_tabs->setElideMode(Qt::ElideNone);
    connect(m_tabs, &QTabWidget::currentChanged, this, &CQVRPropertySheet::TabChanged);
}

void CQVRPropertySheet::AddPage(CHandheldPage* page) {
    if (m_tabs->indexOf(page) >= 0) return;
    m_tabs->addTab(page, page->Caption());
}

void CQVRPropertySheet::RemovePage(CHandheldPage* page) {
    const int index = m_tabs->indexOf(page);
    if (index >= 0) m_tabs->removeTab(index);
}

void CQVRPropertySheet::SetActivePage(CHandheldPage* page) { m_tabs->setCurrentWidget(page); }

CHandheldPage* CQVRPropertySheet::ActivePage() const { return qobject_cast<CHandheldPage*>(m_tabs->currentWidget()); }

int CQVRPropertySheet::PageCount() const { return m_tabs->count(); }

CHandheldPage* CQVRPropertySheet::PageAt(int index) const { return qobject_cast<CHandheldPage*>(m_tabs->widget(index)); }

void CQVRPropertySheet::TabChanged(int index) {
    if (CHandheldPage* page = PageAt(index)) page->OnSetActive();
}

void CQVRPropertySheet::OpenContextHelp() {
    // The anchor goes by the tab's index: with fewer tabs in the sheet the
    // indexes stay those of the full set.
    static const char* const kAnchors[] = {"#Connection_tab", "#Receiver_Settings_tab", "#Radio_tab",
                                           "#GSM_Bearer_tab", "#MRS_tab"};
    const int index = m_tabs->currentIndex();
    const char* anchor = index >= 0 && index < 5 ? kAnchors[index] : "";
    ShowHelpDocument(HandheldHelpDocument(), anchor, this);
}

bool CQVRPropertySheet::IsHotKey(int key) const { return key == Qt::Key_D; }

void CQVRPropertySheet::closeEvent(QCloseEvent* event) {
    // Stop a running operation at its next wait and let go of the port; it
    // touches no page on its way out.
    StopRunningOperation(m_program, this);
    QDialog::done(QDialog::Rejected);
    event->accept();
    QApplication::quit();
}

void CQVRPropertySheet::HotKey(int key) {
    if (key != Qt::Key_D || !m_program.connected) return;
    if (HeldByBackground()) {
        SayBackgroundRunning(qvr::kHandheldCaption);
        return;
    }
    if (m_program.worker && m_program.worker->Busy()) return;
    // One dialog at a time.
    if (QApplication::activeModalWidget() && QApplication::activeModalWidget() != this) return;
    CDebugFileDialog dialog(m_program, qvr::Variant::Handheld, this);
    dialog.exec();
    // Closed during a download, which goes on.
    HoldPagesWhileWorkerRuns(m_tabs);
}
