#include "PropertySheet.h"

#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QKeyEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWhatsThis>

#include "App.h"
#include "ConnectionPage.h"
#include "Dialogs.h"
#include "Help.h"
#include "PageActions.h"
#include "Pages.h"
#include "ProgramState.h"
#include "QtOperator.h"
#include "ReceiverWorker.h"

using namespace qvr;

CQVRPropertySheet::CQVRPropertySheet(QWidget* parent) : QDialog(parent), m_tabs(new QTabWidget(this)) {
    setWindowTitle("QVR Family Config Tool");
    // Only the tabs show; the sheet is closed from the title bar, which also
    // carries the context-help button.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowContextHelpButtonHint | Qt::WindowMinimizeButtonHint);
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

void CQVRPropertySheet::TabChanged(int index) {
    // While an upgrade runs the sheet stays on its page.
    if (QWidget* locked = Program().lockedPage; locked && m_tabs->widget(index) != locked) {
        m_tabs->setCurrentWidget(locked);
        return;
    }
    if (CQVRPage* page = PageAt(index)) page->OnSetActive();
}

void CQVRPropertySheet::OpenContextHelp() {
    const int index = m_tabs->currentIndex();
    if (index >= 0 && index <= 7) ShowHelpTopic(1 + index, this);
}

bool CQVRPropertySheet::event(QEvent* event) {
    if (event->type() == QEvent::EnterWhatsThisMode) {
        // The title bar's help button: help for the tab in front.
        QWhatsThis::leaveWhatsThisMode();
        OpenContextHelp();
        return true;
    }
    return QDialog::event(event);
}

void CQVRPropertySheet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        OpenContextHelp();
        return;
    }
    if (event->key() == Qt::Key_Escape) return;  // the sheet has no Cancel button
    if (event->modifiers() & Qt::ControlModifier) HotKey(event->key());
    QDialog::keyPressEvent(event);
}

void CQVRPropertySheet::HotKey(int key) {
    ProgramState& p = Program();
    if (!p.connected || (p.worker && p.worker->Busy())) return;
    switch (key) {
    case Qt::Key_N: ChangeSerialNumber(); break;
    case Qt::Key_F: ChangeCenterFrequency(); break;
    case Qt::Key_D:  // the Debug File dialog comes with the upgrade pages
    case Qt::Key_A:  // the AT Test Mode dialog comes with the GSM pages
    default: break;
    }
}

void CQVRPropertySheet::ChangeSerialNumber() {
    ProgramState& p = Program();
    CChangeSerialDialog dialog(QString::fromLatin1(p.record.info.serialNumber), this);
    if (dialog.exec() != QDialog::Accepted) return;
    const QByteArray serial = dialog.NewSerial().toLatin1();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    p.worker->Run([serial, &p] { p.receiver->SetSerialNumber(serial.constData()); },
                  [serial, &p] {
                      QApplication::restoreOverrideCursor();
                      // The record takes the number the receiver now has: the
                      // new one when it was written, else the old one.
                      if (std::strcmp(p.receiver->Info().serialNumber, serial.constData()) == 0) {
                          std::snprintf(p.record.info.serialNumber, sizeof p.record.info.serialNumber, "%s",
                                        serial.constData());
                      } else {
                          p.ui->ShowMessage("The new serial number could not be written to the receiver. The "
                                            "receiver keeps its serial number.",
                                            kDesktopCaption, MessageIcon::Error, MessageButtons::Ok);
                      }
                      if (auto* app = CQVR4100MAQuickToolApp::Instance()) app->ConnectionPage()->RefreshSerialNumber();
                  });
}

void CQVRPropertySheet::ChangeCenterFrequency() {
    ProgramState& p = Program();
    if (p.record.peripheral.kind != kPeripheralUhf) {
        p.ui->ShowMessage("Feature only applicable for receivers with UHF radios.", "Error", MessageIcon::Exclamation,
                          MessageButtons::Ok);
        return;
    }
    if (p.ui->ShowMessage("You are attempting to change the UHF Center frequency. Do you wish to proceed?", "Warning!",
                          MessageIcon::Exclamation, MessageButtons::OkCancel) != MessageAnswer::Ok)
        return;
    // The centre-frequency dialog comes with the UHF pages.
}
