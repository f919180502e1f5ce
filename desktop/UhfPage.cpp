#include "desktop/UhfPage.h"

#include <cstring>
#include <memory>

#include <QCheckBox>
#include <QComboBox>
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

namespace {

QString MegahertzText(double mhz) { return QString::asprintf("%f MHz", mhz); }

// A radio reply as one line: the record keeps the reply whole, with the
// radio's line end.
QString ReplyText(const char* reply) {
    QString text = QString::fromLatin1(reply);
    while (text.endsWith('\r') || text.endsWith('\n')) text.chop(1);
    return text;
}

} // namespace

CUHFPropertyPage::CUHFPropertyPage(ProgramState& program, QWidget* parent)
    : CQVRPage(program, "UHF Settings", 3, parent) {
    auto named = [](QWidget* w, const char* name) {
        w->setObjectName(name);
        return w;
    };
    m_moduleName = DisplayField("N/A", this);
    named(m_moduleName, "ModuleName");
    m_firmware = DisplayField("N/A", this);
    named(m_firmware, "FirmwareVersion");
    m_ranges = DisplayField("N/A", this);
    named(m_ranges, "FrequencyRanges");
    m_ranges->setMinimumWidth(m_ranges->fontMetrics().horizontalAdvance("000.00000-000.00000, 000.00000-000.00000 MHz"));
    m_current = DisplayField("N/A", this);
    named(m_current, "CurrentFrequency");
    m_frequency = new QLineEdit(this);
    named(m_frequency, "Frequency");
    m_power = new QComboBox(this);
    named(m_power, "TxPower");
    for (const char* choice : qvr::kUhfPowerChoices) m_power->addItem(QString::fromLatin1(choice));
    m_fec = new QCheckBox(this);
    named(m_fec, "ErrorCorrection");
    m_submit = new QPushButton("&Submit", this);
    named(m_submit, "Submit");

    auto* grid = new FormGrid;
    grid->AddRow(new QLabel("Module name:", this), m_moduleName);
    grid->AddRow(new QLabel("Firmware version:", this), m_firmware);
    grid->AddRow(new QLabel("Frequency range(s):", this), m_ranges);
    grid->AddRow(new QLabel("Current frequency:", this), m_current);
    grid->AddRow(new QLabel("&Frequency:", this), m_frequency);
    grid->AddRow(new QLabel("TX &power (WATTS):", this), m_power);
    grid->AddRow(new QLabel("&Enable error correction (FEC):", this), m_fec);

    // The note is one sentence in two parts; it wraps as the page is wide.
    auto* note = new QLabel("Note: Radio Data transmission or reception may interfere with correct operation of the"
                            " QVR Family Config Tool. The UHF radio settings seen on this page may be affected.",
                            this);
    note->setObjectName("Note");
    note->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_submit);
    buttons->addStretch();
    buttons->addWidget(MakeHelpButton());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addWidget(note);
    layout->addStretch();
    layout->addLayout(buttons);
    // The page widens for the ranges of the radio.
    layout->addStrut(kPageMinWidth);
    setMinimumHeight(kPageMinHeight);

    connect(m_submit, &QPushButton::clicked, this, &CUHFPropertyPage::SubmitClicked);
}

void CUHFPropertyPage::OnSetActive() {
    ProgramState& p = Program();
    // The record may change while a receiver operation runs: fill the fields
    // when it has ended.
    if (p.worker && p.worker->DeferWhileBusy(this, &m_activationPending, [this] { OnSetActive(); })) return;
    const qvr::UhfBlock& uhf = p.record.peripheral.uhf;
    m_power->setCurrentIndex(qvr::UhfPowerChoiceIndex(uhf.txPower));
    m_moduleName->setText(ReplyText(uhf.moduleName));
    m_firmware->setText(ReplyText(uhf.firmwareVersion));
    m_ranges->setText(QString::asprintf("%.5f-%.5f, %.5f-%.5f MHz", uhf.range1Lower, uhf.range1Upper, uhf.range2Lower,
                                        uhf.range2Upper));
    m_current->setText(MegahertzText(uhf.currentFrequency));
    m_frequency->setText(QString::asprintf("%f", uhf.currentFrequency));
    m_fec->setChecked(uhf.errorCorrection == 1);
}

void CUHFPropertyPage::SubmitClicked() {
    ProgramState& p = Program();
    qvr::MAReceiver* receiver = p.receiver;
    if (!receiver || !p.worker || !m_submit->isEnabled()) return;
    m_submit->setEnabled(false);
    const int power = m_power->currentIndex();
    const QByteArray frequency = m_frequency->text().left(63).toLatin1();
    const bool fec = m_fec->isChecked();
    // The job works on its own copy of the record; the power, the frequency
    // and the error-correction flag come back when it has ended.
    auto record = std::make_shared<qvr::ReceiverData>(p.record);
    auto succeeded = std::make_shared<bool>(false);
    const bool started = p.worker->RunWithWaitCursor(
        [receiver, record, succeeded, power, frequency, fec] {
            *succeeded = qvr::SubmitUhfSettings(*receiver, *record, power, frequency.constData(), fec);
        },
        [this, record, succeeded] {
            qvr::UhfBlock& uhf = Program().record.peripheral.uhf;
            const qvr::UhfBlock& changed = record->peripheral.uhf;
            std::memcpy(uhf.txPower, changed.txPower, sizeof uhf.txPower);
            uhf.errorCorrection = changed.errorCorrection;
            uhf.currentFrequency = changed.currentFrequency;
            if (*succeeded) m_current->setText(MegahertzText(uhf.currentFrequency));
            m_submit->setEnabled(true);
        },
        m_submit);
    if (!started) m_submit->setEnabled(true);
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
