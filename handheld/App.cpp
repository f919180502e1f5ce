#include "handheld/App.h"

#include <initializer_list>

#include <QTabBar>
#include <QTabWidget>

#include "handheld/ConnectionPage.h"
#include "handheld/GsmBearerPage.h"
#include "handheld/MrsPage.h"
#include "handheld/PropertySheet.h"
#include "handheld/RadioPage.h"
#include "handheld/ReceiverPage.h"
#include "gui/AppIcon.h"
#include "gui/ProgramState.h"
#include "gui/ReceiverWorker.h"

CQVRConfigToolApp::CQVRConfigToolApp(ProgramState& program, IProcessList* processes) : m_program(program) {
    // The five pages in their creation order; the sheet starts with the
    // Connection page only.
    m_connection = new CConnectionsPropertyPage(program, processes);
    m_radio = new CRadioSettingsPropertyPage(program);
    m_receiver = new CRecieverPropertyPage(program);
    m_gsmBearer = new CGSMBearerSettingsPropertyPage(program);
    m_mrs = new CNtripSourcePropertyPage(program);
    m_sheet = new CQVRPropertySheet(program);
    m_sheet->setWindowIcon(AppIcon());
    m_sheet->AddPage(m_connection);

    connect(m_connection, &CConnectionsPropertyPage::connected, this, [this] { UpdatePages(false); });
    connect(m_connection, &CConnectionsPropertyPage::disconnected, this, [this] { UpdatePages(true); });
    // While a receiver operation runs the operator stays on its page: the
    // receiver object serves one operation at a time.
    if (ReceiverWorker* worker = program.worker) {
        connect(worker, &ReceiverWorker::started, m_sheet, [this] { m_sheet->Tabs()->tabBar()->setEnabled(false); });
        connect(worker, &ReceiverWorker::finished, m_sheet, [this] { m_sheet->Tabs()->tabBar()->setEnabled(true); });
    }
}

CQVRConfigToolApp::~CQVRConfigToolApp() {
    // Pages not in the sheet have no parent; the sheet deletes the others.
    for (QWidget* page : std::initializer_list<QWidget*>{m_radio, m_receiver, m_gsmBearer, m_mrs})
        if (!page->parent()) delete page;
    delete m_sheet;
}

void CQVRConfigToolApp::UpdatePages(bool remove) {
    if (!remove) {
        const int kind = m_program.record.peripheral.kind;
        m_sheet->AddPage(m_receiver);
        if (kind != qvr::kPeripheralNone) m_sheet->AddPage(m_radio);
        if (kind == qvr::kPeripheralGsm) {
            m_sheet->AddPage(m_gsmBearer);
            m_sheet->AddPage(m_mrs);
        }
        // The Receiver page is set up at connect time while Connection stays in front.
        m_sheet->SetActivePage(m_receiver);
        m_sheet->SetActivePage(m_connection);
        return;
    }
    for (CHandheldPage* page : std::initializer_list<CHandheldPage*>{m_receiver, m_radio, m_gsmBearer, m_mrs}) {
        m_sheet->RemovePage(page);
        page->setParent(nullptr);
    }
    m_sheet->SetActivePage(m_connection);
}
