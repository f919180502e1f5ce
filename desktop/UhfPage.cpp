#include "desktop/UhfPage.h"

#include <memory>

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "RadioPageActions.h"
#include "gui/FormLayout.h"
#include "gui/ProgramState.h"
#include "gui/ReceiverWorker.h"
#include "gui/QtOperator.h"

CUHFPropertyPage::CUHFPropertyPage(ProgramState& program, QWidget* parent)
    : CQVRPage(program, "UHF Settings", 3, parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(MakeHelpButton());
    layout->addLayout(buttons);
}

// ---------------------------------------------------------------- centre-frequency dialog

CCenterFrequencyDialog::CCenterFrequencyDialog(ProgramState& program, const QString& frequency, QWidget* parent)
    : QDialog(parent), m_program(program) {
    setWindowTitle("Set Center Frequency.");
    m_edit = new QLineEdit(frequency.left(254), this);
    m_edit->setObjectName("CenterFrequency");
    m_edit->setAlignment(Qt::AlignRight);
    m_edit->setMaxLength(254);
    m_status = DisplayField("N/A", this);
    m_status->setObjectName("Status");
    m_ok = new QPushButton("OK", this);
    m_ok->setObjectName("OK");
    m_ok->setDefault(true);
    m_cancel = new QPushButton("Cancel", this);
    m_cancel->setObjectName("Cancel");

    auto* form = new FormGrid;
    form->AddRow(new QLabel("&New center frequency:", this), m_edit);
    form->AddRow(new QLabel("Status:", this), m_status);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch();
    layout->addLayout(buttons);
    setMinimumWidth(280);

    connect(m_ok, &QPushButton::clicked, this, &CCenterFrequencyDialog::OkClicked);
    connect(m_cancel, &QPushButton::clicked, this, &CCenterFrequencyDialog::reject);
}

void CCenterFrequencyDialog::reject() {
    // Nothing closes the dialog while the radio is being changed.
    if (!m_running) QDialog::reject();
}

void CCenterFrequencyDialog::OkClicked() {
    if (m_running) return;
    const QByteArray text = m_edit->text().left(254).toLatin1();
    if (!qvr::CenterFrequencyTextValid(*m_program.ui, text.constData())) return;
    m_running = true;
    m_ok->setEnabled(false);
    m_cancel->setEnabled(false);
    m_status->setText("Processing, please wait...");
    m_status->repaint();
    auto ok = std::make_shared<bool>(false);
    qvr::MAReceiver* receiver = m_program.receiver;
    m_program.worker->RunWithWaitCursor([receiver, text, ok] { *ok = qvr::ApplyCenterFrequency(*receiver, text.constData()); },
                                        [this, ok] {
                                            m_succeeded = *ok;
                                            m_running = false;
                                            m_ok->setEnabled(true);
                                            m_cancel->setEnabled(true);
                                            accept();
                                        });
}
