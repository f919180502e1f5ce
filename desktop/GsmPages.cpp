#include "desktop/GsmPages.h"

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

CGSMBearerSettingsPropertyPage::CGSMBearerSettingsPropertyPage(ProgramState& program, QWidget* parent)
    : CQVRPage(program, "GSM Bearer", 6, parent) {
    Placeholder(this, MakeHelpButton());
}

CGSMSettingsPropertyPage::CGSMSettingsPropertyPage(ProgramState& program, QWidget* parent)
    : CQVRPage(program, "GSM Settings", 5, parent) {
    Placeholder(this, MakeHelpButton());
}

CDlgAutoMRS::CDlgAutoMRS(ProgramState& program, QWidget* parent) : CQVRPage(program, "MRS", 8, parent) {
    Placeholder(this, MakeHelpButton());
}

ATModeTestDialog::ATModeTestDialog(ProgramState& program, QWidget* parent) : QDialog(parent), m_program(program) {
    setWindowTitle("AT Test Mode");
}
