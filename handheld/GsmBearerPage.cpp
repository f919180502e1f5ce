#include "handheld/GsmBearerPage.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/FormLayout.h"
#include "gui/GsmForms.h"

CGSMBearerSettingsPropertyPage::CGSMBearerSettingsPropertyPage(ProgramState& program, QWidget* parent)
    : CHandheldPage(program, "GSM Bearer", "#GSM_Bearer_tab", parent) {
    QWidget* content = ScrollingContent(this);
    m_form = new GsmBearerForm(program, content, true);
    auto label = [content](const char* text, QWidget* buddy) {
        auto* l = new QLabel(text, content);
        l->setBuddy(buddy);
        return l;
    };
    auto* form = new CompactForm;
    form->addRow(label("&Bearer type:", BearerType()), BearerType());
    form->addRow(label("Outgoing CHAP &username:", UserName()), UserName());
    form->addRow(label("Outgoing CHAP &password:", Password()), Password());
    form->addRow(AccessPointLabel(), AccessPoint());
    form->addRow(label("Connection &timeout:", Timeout()), Timeout());

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Submit());
    buttons->addStretch();
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(form);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->addStretch();
}

void CGSMBearerSettingsPropertyPage::OnSetActive() { m_form->Activate(); }

QComboBox* CGSMBearerSettingsPropertyPage::BearerType() const { return m_form->BearerType(); }
QLineEdit* CGSMBearerSettingsPropertyPage::UserName() const { return m_form->UserName(); }
QLineEdit* CGSMBearerSettingsPropertyPage::Password() const { return m_form->Password(); }
QLabel* CGSMBearerSettingsPropertyPage::AccessPointLabel() const { return m_form->AccessPointLabel(); }
QLineEdit* CGSMBearerSettingsPropertyPage::AccessPoint() const { return m_form->AccessPoint(); }
QLineEdit* CGSMBearerSettingsPropertyPage::Timeout() const { return m_form->Timeout(); }
QPushButton* CGSMBearerSettingsPropertyPage::Submit() const { return m_form->Submit(); }
