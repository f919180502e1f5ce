#include "desktop/PropertySheet.h"

#include <cstdio>
#include <memory>

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "PageActions.h"
#include "RadioPageActions.h"
#include "gui/DebugFileDialog.h"
#include "desktop/GsmPages.h"
#include "desktop/Pages.h"
#include "desktop/UhfPage.h"
#include "gui/Dialogs.h"
#include "gui/Help.h"
#include "gui/ProgramState.h"
#include "gui/QtOperator.h"
#include "gui/ReceiverWorker.h"
#include "Text.h"

using namespace qvr;

CQVRPropertySheet::CQVRPropertySheet(ProgramState& program, QWidget* parent)
    : SheetDialog(program, parent), m_tabs(new QTabWidget(this)) {
    setWindowTitle("QVR Family Config Tool");
    // Only the tabs show; the sheet is closed from the title bar, which also
    // carries the context-help button.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowContextHelpButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(7, 7, 7, 7);
    layout->addWidget(m_tabs);
    // All tabs stay in view: the sheet widens for the six GSM tabs.
    m_tabs->setUsesScrollButtons(false);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    connect(m_tabs, &QTabWidget::currentChanged, this, &CQVRPropertySheet::TabChanged);
}

void CQVRPropertySheet::AddPage(CQVRPage* page) {
    if (m_tabs->indexOf(page) >= 0) return;
    m_tabs->addTab(page, page->Caption());
}

void CQVRPropertySheet::RemovePage(CQVRPage* page) {
    const int index = m_tabs->indexOf(page);
    if (index >= 0) m_tabs->removeTab(index);
}

void CQVRPropertySheet::SetActivePage(CQVRPage* page) { m_tabs->setCurrentWidget(page); }

CQVRPage* CQVRPropertySheet::ActivePage() const { return qobject_cast<CQVRPage*>(m_tabs->currentWidget()); }

int CQVRPropertySheet::PageCount() const { return m_tabs->count(); }

CQVRPage* CQVRPropertySheet::PageAt(int index) const { return qobject_cast<CQVRPage*>(m_tabs->widget(index)); }

void CQVRPropertySheet::Shrink() {
    if (isMaximized() || isFullScreen()) return;
    layout()->activate();
    resize(m_openedSize.expandedTo(minimumSizeHint()));
}

void CQVRPropertySheet::showEvent(QShowEvent* event) {
    if (!m_openedSize.isValid()) m_openedSize = size();
    SheetDialog::showEvent(event);
}

void CQVRPropertySheet::TabChanged(int index) {
    // While an upgrade runs the sheet stays on its page.
    if (QWidget* locked = m_program.lockedPage; locked && m_tabs->widget(index) != locked) {
        m_tabs->setCurrentWidget(locked);
        return;
    }
    if (CQVRPage* page = PageAt(index)) page->OnSetActive();
}

void CQVRPropertySheet::OpenContextHelp() {
    const int index = m_tabs->currentIndex();
    if (index >= 0 && index <= 7) ShowHelpTopic(1 + index, this);
}

bool CQVRPropertySheet::IsHotKey(int key) const {
    return key == Qt::Key_N || key == Qt::Key_F || key == Qt::Key_D || key == Qt::Key_A;
}

void CQVRPropertySheet::closeEvent(QCloseEvent* event) {
    if (m_program.lockedPage) {
        // An interrupted upgrade leaves the radio unusable; the program ends
        // by itself when the upgrade is over.
        event->ignore();
        m_program.ui->ShowMessage("An upgrade is in progress and must not be interrupted. The program closes by "
                                  "itself when the upgrade has ended.",
                                  kDesktopCaption, MessageIcon::Exclamation, MessageButtons::Ok);
        return;
    }
    // Stop a running operation at its next wait and let go of the port; it
    // touches no page on its way out.
    StopRunningOperation(m_program, this);
    QDialog::done(QDialog::Rejected);
    event->accept();
    QApplication::quit();
}

void CQVRPropertySheet::HotKey(int key) {
    if (!m_program.connected) return;
    if (key == Qt::Key_A && m_program.record.peripheral.kind != kPeripheralGsm) return;  // nothing to open
    if (HeldByBackground() && IsHotKey(key)) {
        SayBackgroundRunning(kDesktopCaption);
        return;
    }
    if (m_program.worker && m_program.worker->Busy()) return;
    if (m_program.lockedPage) return;
    // One service dialog at a time.
    if (QApplication::activeModalWidget() && QApplication::activeModalWidget() != this) return;
    switch (key) {
    case Qt::Key_N: ChangeSerialNumber(); break;
    case Qt::Key_F: ChangeCenterFrequency(); break;
    case Qt::Key_D: OpenDebugFile(); break;
    case Qt::Key_A: OpenAtTestMode(); break;
    default: break;
    }
}

void CQVRPropertySheet::ChangeSerialNumber() {
    ProgramState& p = m_program;
    CChangeSerialDialog dialog(QString::fromLatin1(p.record.info.serialNumber), this);
    if (dialog.exec() != QDialog::Accepted) return;
    const QByteArray serial = dialog.NewSerial().toLatin1();
    auto written = std::make_shared<bool>(false);
    p.worker->RunWithWaitCursor(
        [serial, written, &p] {
            ReceiverData copy = p.record;
            *written = qvr::ChangeSerialNumber(*p.receiver, copy, serial.constData());
        },
        [this, serial, written, &p] {
            // The record takes the number the receiver now has: the new one
            // when it was written, else the old one.
            if (*written) {
                CopyCut(p.record.info.serialNumber, serial.constData());
            } else {
                p.ui->ShowMessage("The new serial number could not be written to the receiver. The receiver keeps "
                                  "its serial number.",
                                  kDesktopCaption, MessageIcon::Error, MessageButtons::Ok);
            }
            emit serialNumberChanged();
        });
}

void CQVRPropertySheet::ChangeCenterFrequency() {
    ProgramState& p = m_program;
    char text[64];
    std::snprintf(text, sizeof text, "%f", p.record.peripheral.uhf.centerFrequency);
    if (AskCenterFrequencyChange(*p.ui, p.record) != CenterChangeResult::Succeeded) return;
    CCenterFrequencyDialog dialog(p, QString::fromLatin1(text), this);
    if (dialog.exec() != QDialog::Accepted) return;
    ReportCenterFrequencyChange(*p.ui, dialog.Succeeded());
    // The radio stays bridged; the receiver must be restarted.
    EndProgram(p, 0);
}

void CQVRPropertySheet::OpenDebugFile() {
    CDebugFileDialog dialog(m_program, qvr::Variant::Desktop, this);
    dialog.exec();
    // Closed during a download, which goes on.
    HoldPagesWhileWorkerRuns(m_tabs);
}

void CQVRPropertySheet::OpenAtTestMode() {
    if (m_program.record.peripheral.kind != kPeripheralGsm) return;
    ATModeTestDialog dialog(m_program, this);
    dialog.exec();
}
