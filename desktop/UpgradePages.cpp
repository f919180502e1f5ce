#include "desktop/UpgradePages.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
void Placeholder(CQVRPage* page, QWidget* help) {
    auto* layout = new QVBoxLayout(page);
    layout->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(help);
    layout->addLayout(buttons);
}
} // namespace

CUHFUpgradePropertyPage::CUHFUpgradePropertyPage(ProgramState& program, QWidget* parent)
    : CQVRPage(program, "UHF Upgrade", 4, parent) {
    Placeholder(this, MakeHelpButton());
}

CGSMUpgradePage::CGSMUpgradePage(ProgramState& program, QWidget* parent) : CQVRPage(program, "GSM Upgrade", 7, parent) {
    Placeholder(this, MakeHelpButton());
}
