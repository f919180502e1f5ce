#include "handheld/MrsPage.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/FormLayout.h"
#include "gui/GsmForms.h"

CNtripSourcePropertyPage::CNtripSourcePropertyPage(ProgramState& program, QWidget* parent)
    : CHandheldPage(program, "MRS", "#MRS_tab", parent) {
    QWidget* content = ScrollingContent(this);
    m_form = new MrsForm(program, content, qvr::Variant::Handheld);
    auto label = [content](const char* text, QWidget* buddy) {
        auto* l = new QLabel(text, content);
        l->setBuddy(buddy);
        return l;
    };
    auto* form = new CompactForm;
    form->addRow(label("&Enable NTRIP source on start:", StartUp()), StartUp());
    form->addRow(label("&Mount point name:", MountPoint()), MountPoint());
    form->addRow(label("&Password:", Password()), Password());
    form->addRow(label("&IP address:", Address()), Address());
    form->addRow(label("Port &number:", Port()), Port());

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

void CNtripSourcePropertyPage::OnSetActive() { m_form->Activate(); }

QComboBox* CNtripSourcePropertyPage::StartUp() const { return m_form->StartUp(); }
QLineEdit* CNtripSourcePropertyPage::MountPoint() const { return m_form->MountPoint(); }
QLineEdit* CNtripSourcePropertyPage::Password() const { return m_form->Password(); }
QLineEdit* CNtripSourcePropertyPage::Address() const { return m_form->Address(); }
QLineEdit* CNtripSourcePropertyPage::Port() const { return m_form->Port(); }
QPushButton* CNtripSourcePropertyPage::Submit() const { return m_form->Submit(); }
