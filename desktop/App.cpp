#include "desktop/App.h"

#include <initializer_list>

#include <QTabBar>
#include <QTabWidget>

#include "desktop/AudioPage.h"
#include "desktop/ConnectionPage.h"
#include "desktop/GsmPages.h"
#include "desktop/HelpTopics.h"
#include "desktop/PropertySheet.h"
#include "desktop/UhfPage.h"
#include "desktop/UpgradePages.h"
#include "gui/AppIcon.h"
#include "gui/ProgramState.h"
#include "gui/ReceiverWorker.h"

CQVR4100MAQuickToolApp::CQVR4100MAQuickToolApp(ProgramState& program) : m_program(program) {
    SetHelpBook(DesktopHelpBook());
    // The eight pages in their creation order; the sheet starts with the
    // Connection page only.
    m_connection = new CCConnectionPropertyPage(program);
    m_audio = new CAudioPropertyPage(program);
    m_uhfUpgrade = new CUHFUpgradePropertyPage(program);
    m_uhf = new CUHFPropertyPage(program);
    m_gsmUpgrade = new CGSMUpgradePage(program);
    m_gsmBearer = new CGSMBearerSettingsPropertyPage(program);
    m_gsmSettings = new CGSMSettingsPropertyPage(program);
    m_mrs = new CDlgAutoMRS(program);
    m_sheet = new CQVRPropertySheet(program);
    m_sheet->setWindowIcon(AppIcon());
    m_sheet->AddPage(m_connection);

    connect(m_connection, &CCConnectionPropertyPage::connected, this, [this] { UpdatePages(false); });
    connect(m_connection, &CCConnectionPropertyPage::disconnected, this, [this] {
        UpdatePages(true);
        m_audio->ClearPowerupFilled();
    });
    connect(m_sheet, &CQVRPropertySheet::serialNumberChanged, m_connection,
            &CCConnectionPropertyPage::RefreshSerialNumber);
    // While a receiver operation runs the operator stays on its page: the
    // receiver object serves one operation at a time.
    if (ReceiverWorker* worker = program.worker) {
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
}

void CQVR4100MAQuickToolApp::UpdatePages(bool remove) {
    if (!remove) {
        const int kind = m_program.record.peripheral.kind;
        m_sheet->AddPage(m_audio);
        if (kind == qvr::kPeripheralUhf) {
            m_sheet->AddPage(m_uhf);
            m_sheet->AddPage(m_uhfUpgrade);
        } else if (kind == qvr::kPeripheralGsm) {
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
    // Back to the size of the Connection page alone.
    m_sheet->Shrink();
}
