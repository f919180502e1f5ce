#include "App.h"

#include "AudioPage.h"
#include "ConnectionPage.h"
#include "Pages.h"
#include "ProgramState.h"
#include "PropertySheet.h"
#include "ReceiverWorker.h"

#include <QTabBar>
#include <QTabWidget>

namespace {
CQVR4100MAQuickToolApp* g_app = nullptr;
}

CQVR4100MAQuickToolApp* CQVR4100MAQuickToolApp::Instance() { return g_app; }

CQVR4100MAQuickToolApp::CQVR4100MAQuickToolApp() {
    g_app = this;
    // The eight pages in their creation order; the sheet starts with the
    // Connection page only.
    m_connection = new CCConnectionPropertyPage;
    m_audio = new CAudioPropertyPage;
    m_uhfUpgrade = new CUHFUpgradePropertyPage;
    m_uhf = new CUHFPropertyPage;
    m_gsmUpgrade = new CGSMUpgradePage;
    m_gsmBearer = new CGSMBearerSettingsPropertyPage;
    m_gsmSettings = new CGSMSettingsPropertyPage;
    m_mrs = new CDlgAutoMRS;
    m_sheet = new CQVRPropertySheet;
    m_sheet->AddPage(m_connection);
    // While a receiver operation runs the operator stays on its page: the
    // receiver object serves one operation at a time.
    if (ReceiverWorker* worker = Program().worker) {
        connect(worker, &ReceiverWorker::started, m_sheet, [this] { m_sheet->Tabs()->tabBar()->setEnabled(false); });
        connect(worker, &ReceiverWorker::finished, m_sheet, [this] { m_sheet->Tabs()->tabBar()->setEnabled(true); });
    }
}

CQVR4100MAQuickToolApp::~CQVR4100MAQuickToolApp() {
    // Pages not in the sheet have no parent; the sheet deletes the others.
    for (QWidget* page : std::initializer_list<QWidget*>{m_audio, m_uhfUpgrade, m_uhf, m_gsmUpgrade, m_gsmBearer,
                                                         m_gsmSettings, m_mrs})
        if (!page->parent()) delete page;
    delete m_sheet;
    if (g_app == this) g_app = nullptr;
}

void CQVR4100MAQuickToolApp::UpdatePages(bool remove) {
    if (!remove) {
        m_pagesKind = Program().record.peripheral.kind;
        m_sheet->AddPage(m_audio);
        if (m_pagesKind == qvr::kPeripheralUhf) {
            m_sheet->AddPage(m_uhf);
            m_sheet->AddPage(m_uhfUpgrade);
        } else if (m_pagesKind == qvr::kPeripheralGsm) {
            m_sheet->AddPage(m_gsmBearer);
            m_sheet->AddPage(m_gsmSettings);
            m_sheet->AddPage(m_gsmUpgrade);
            m_sheet->AddPage(m_mrs);
        }
        // Receiver Settings is set up at connect time while Connection stays in front.
        m_sheet->SetActivePage(m_audio);
        m_sheet->SetActivePage(m_connection);
        return;
    }
    for (CQVRPage* page : std::initializer_list<CQVRPage*>{m_audio, m_uhf, m_uhfUpgrade, m_gsmBearer, m_gsmSettings,
                                                          m_gsmUpgrade, m_mrs}) {
        m_sheet->RemovePage(page);
        page->setParent(nullptr);
    }
    m_sheet->SetActivePage(m_connection);
}
