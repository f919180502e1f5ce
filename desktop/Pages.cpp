#include "Pages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "Help.h"

CQVRPage::CQVRPage(const QString& caption, int helpTopic, QWidget* parent)
    : QWidget(parent), m_caption(caption), m_helpTopic(helpTopic) {
    setObjectName(caption);
}

QPushButton* CQVRPage::MakeHelpButton() {
    auto* help = new QPushButton("Help", this);
    help->setObjectName("Help");
    connect(help, &QPushButton::clicked, this, [this] { ShowHelpTopic(m_helpTopic, this); });
    return help;
}

namespace {

// A page that only says what it will hold, with its Help button.
void Placeholder(CQVRPage* page, const char* text, QPushButton* help) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(16, 16, 16, 12);
    auto* label = new QLabel(text, page);
    label->setWordWrap(true);
    label->setEnabled(false);
    layout->addWidget(label);
    layout->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(help);
    layout->addLayout(buttons);
}

} // namespace

CUHFPropertyPage::CUHFPropertyPage(QWidget* parent) : CQVRPage("UHF Settings", 3, parent) {
    Placeholder(this, "UHF radio settings.", MakeHelpButton());
}
CUHFUpgradePropertyPage::CUHFUpgradePropertyPage(QWidget* parent) : CQVRPage("UHF Upgrade", 4, parent) {
    Placeholder(this, "UHF radio firmware upgrade.", MakeHelpButton());
}
CGSMUpgradePage::CGSMUpgradePage(QWidget* parent) : CQVRPage("GSM Upgrade", 7, parent) {
    Placeholder(this, "GSM applet upgrade.", MakeHelpButton());
}
CGSMBearerSettingsPropertyPage::CGSMBearerSettingsPropertyPage(QWidget* parent) : CQVRPage("GSM Bearer", 6, parent) {
    Placeholder(this, "GSM data bearer settings.", MakeHelpButton());
}
CGSMSettingsPropertyPage::CGSMSettingsPropertyPage(QWidget* parent) : CQVRPage("GSM Settings", 5, parent) {
    Placeholder(this, "GSM module status.", MakeHelpButton());
}
CDlgAutoMRS::CDlgAutoMRS(QWidget* parent) : CQVRPage("MRS", 8, parent) {
    Placeholder(this, "NTRIP source settings.", MakeHelpButton());
}
