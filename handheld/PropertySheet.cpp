#include "handheld/PropertySheet.h"

#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/ProgramState.h"
#include "handheld/Pages.h"

CQVRPropertySheet::CQVRPropertySheet(ProgramState& program, QWidget* parent)
    : QDialog(parent), m_program(program), m_tabs(new QTabWidget(this)) {
    setWindowTitle("QVR Config Tool");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_tabs);
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
