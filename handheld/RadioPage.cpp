#include "handheld/RadioPage.h"

#include <memory>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "GsmVocabulary.h"
#include "RadioPageActions.h"
#include "gui/ProgramState.h"
#include "gui/ReceiverWorker.h"

using namespace qvr;

namespace {

QLabel* Label(const char* text, QWidget* parent, const char* name) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    return label;
}

QLabel* Value(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// A radio reply as one line: the record keeps it whole, with the radio's
// line end.
QString ReplyText(const char* reply) {
    QString text = QString::fromLatin1(reply);
    while (text.endsWith('\r') || text.endsWith('\n')) text.chop(1);
    return text;
}

QString MegahertzText(double mhz) { return QString::asprintf("%f MHz", mhz); }

bool PccMode(int mode) { return mode == kUhfModePcc4Fsk || mode == kUhfModePccGmsk; }

} // namespace

CRadioSettingsPropertyPage::CRadioSettingsPropertyPage(ProgramState& program, QWidget* parent)
    : CHandheldPage(program, "Radio", "#Radio_tab", parent) {
    // The rows scroll on a screen too small for them; labels go above their
    // values where a row is too narrow for both.
    m_content = new QWidget;
    QWidget* c = m_content;
    m_radio = Value(c, "InstalledRadio");
    m_row2Label = Label("RSSI:", c, "Row2Label");
    m_rssi = Value(c, "Rssi");
    m_mode = new QComboBox(c);
    m_mode->setObjectName("ProtocolMode");
    m_row3Label = Label("Frequency range:", c, "Row3Label");
    m_range = Value(c, "Range");
    m_row4Label = Label("Current frequency:", c, "Row4Label");
    m_current = Value(c, "CurrentFrequency");
    m_row5Label = Label("New frequency:", c, "Row5Label");
    m_newFrequency = new QLineEdit(c);
    m_newFrequency->setObjectName("NewFrequency");
    m_newFrequency->setAlignment(Qt::AlignRight);
    m_newFrequency->setMaxLength(127);
    m_newFrequency->setMinimumWidth(m_newFrequency->fontMetrics().horizontalAdvance("000.000000") + 12);
    m_newFrequency->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
    m_spacingLabel = Label("Channel spacing:", c, "ChannelSpacingLabel");
    m_spacing = Value(c, "ChannelSpacing");
    m_fecLabel = Label("Enable error correction (FEC):", c, "ErrorCorrectionLabel");
    m_fec = new QCheckBox(c);
    m_fec->setObjectName("ErrorCorrection");
    m_submit = new QPushButton("Submit", c);
    m_submit->setObjectName("Submit");
    m_row2Label->setBuddy(m_mode);
    m_row5Label->setBuddy(m_newFrequency);
    m_fecLabel->setBuddy(m_fec);

    // Row 2 holds the signal strength (GSM) or the protocol list (UHF).
    auto* row2 = new QHBoxLayout;
    row2->setContentsMargins(0, 0, 0, 0);
    row2->addWidget(m_rssi, 1);
    row2->addWidget(m_mode, 1);

    auto* form = new QFormLayout;
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setVerticalSpacing(5);
    form->addRow(Label("Installed radio:", c, "InstalledRadioLabel"), m_radio);
    form->addRow(m_row2Label, row2);
    form->addRow(m_row3Label, m_range);
    form->addRow(m_row4Label, m_current);
    form->addRow(m_row5Label, m_newFrequency);
    form->addRow(m_spacingLabel, m_spacing);
    form->addRow(m_fecLabel, m_fec);
    auto* inner = new QVBoxLayout(c);
    inner->setContentsMargins(6, 6, 6, 6);
    inner->addLayout(form);
    inner->addSpacing(4);
    inner->addWidget(m_submit, 0, Qt::AlignLeft);
    inner->addStretch();

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("Scroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(c);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);

    connect(m_mode, &QComboBox::currentIndexChanged, this, &CRadioSettingsPropertyPage::ModeChanged);
    connect(m_submit, &QPushButton::clicked, this, &CRadioSettingsPropertyPage::SubmitClicked);
}

void CRadioSettingsPropertyPage::OnSetActive() {
    ProgramState& p = Program();
    // The record may change while a receiver operation runs: fill the page
    // when it has ended.
    if (p.worker && p.worker->DeferWhileBusy(this, &m_activationPending, [this] { OnSetActive(); })) return;
    const PeripheralBlock& peripheral = p.record.peripheral;
    const UhfBlock& uhf = peripheral.uhf;
    const GsmBlock& gsm = peripheral.gsm;
    const bool isUhf = peripheral.kind == kPeripheralUhf;
    const bool isGsm = peripheral.kind == kPeripheralGsm;

    if (isUhf) m_radio->setText(QString("%1(%2)").arg("UHF", ReplyText(uhf.firmwareVersion)));
    else if (isGsm) m_radio->setText(QString("%1(%2)").arg("GSM/GPRS", ReplyText(gsm.appletVersion)));
    if (isUhf)
        m_range->setText(QString::asprintf("%.3f-%.3f, %.3f-%.3f MHz", uhf.range1Lower, uhf.range1Upper,
                                           uhf.range2Lower, uhf.range2Upper));
    else if (isGsm)
        m_range->setText(RegistrationText(gsm.registrationState));
    m_current->setText(isUhf ? MegahertzText(uhf.currentFrequency) : QString("N/A"));
    m_newFrequency->setText(isUhf ? QString::asprintf("%f", uhf.currentFrequency) : QString("N/A"));
    m_newFrequency->setEnabled(isUhf);
    m_submit->setEnabled(isUhf);

    if (isGsm) {
        // The status view: rows 1 to 3.
        m_mode->hide();
        m_row2Label->setText("RSSI:");
        char level[64];
        FormatSignalLevel(level, gsm.signalLevel);
        m_rssi->setText(QString::fromLatin1(level));
        m_rssi->show();
        m_row3Label->setText("Network status:");
        for (QWidget* w : {static_cast<QWidget*>(m_row4Label), static_cast<QWidget*>(m_current),
                           static_cast<QWidget*>(m_row5Label), static_cast<QWidget*>(m_newFrequency),
                           static_cast<QWidget*>(m_spacing), static_cast<QWidget*>(m_fecLabel),
                           static_cast<QWidget*>(m_fec), static_cast<QWidget*>(m_submit)})
            w->hide();
    } else if (isUhf) {
        // The settings view.
        {
            const QSignalBlocker quiet(m_mode);
            m_mode->clear();
            m_mode->addItems({"3AS PT", "PCC-4FSK", "PCC-GMSK"});
            const bool reported = uhf.protocolMode >= kUhfMode3asPt && uhf.protocolMode <= kUhfModePccGmsk;
            // A radio that did not report its mode shows "3AS PT", unchangeable.
            m_mode->setCurrentIndex(reported ? uhf.protocolMode : kUhfMode3asPt);
            m_mode->setEnabled(reported);
        }
        m_rssi->hide();
        m_mode->show();
        m_fec->setChecked(uhf.errorCorrection == 1);
        if (PccMode(uhf.protocolMode)) m_fec->setEnabled(false);
        m_row3Label->setText("Range:");
        ApplyModeLabels(uhf.protocolMode);
        for (QWidget* w : {static_cast<QWidget*>(m_row4Label), static_cast<QWidget*>(m_current),
                           static_cast<QWidget*>(m_row5Label), static_cast<QWidget*>(m_newFrequency),
                           static_cast<QWidget*>(m_spacing), static_cast<QWidget*>(m_fecLabel),
                           static_cast<QWidget*>(m_fec), static_cast<QWidget*>(m_submit)})
            w->show();
        m_spacing->setText(QString::asprintf("%d Hz", uhf.channelSpacing));
    }
    ModeChanged();
}

void CRadioSettingsPropertyPage::ApplyModeLabels(int mode) {
    const bool errorCorrection = mode == kUhfMode3asPt || mode == kUhfModeNotSupported;
    m_row2Label->setText(errorCorrection ? "Compatibility mode:" : "Modulation mode:");
    m_row3Label->setText("Range:");
    m_row4Label->setText(errorCorrection ? "Current frequency:" : "Current channel:");
    m_row5Label->setText(errorCorrection ? "New frequency:" : "New Channel:");
    m_fecLabel->setVisible(errorCorrection);
    m_fec->setVisible(errorCorrection);
}

void CRadioSettingsPropertyPage::ModeChanged() {
    const PeripheralBlock& peripheral = Program().record.peripheral;
    if (peripheral.kind != kPeripheralUhf) return;
    const UhfBlock& uhf = peripheral.uhf;
    const int index = m_mode->currentIndex();
    if (PccMode(index)) {
        m_fec->setEnabled(false);
    } else {
        m_fec->setEnabled(true);
        // Back from a PCC mode, which runs without error correction, to
        // "3AS PT": error correction is offered on. A radio that did not
        // report its mode shows its own setting.
        if (PccMode(uhf.protocolMode)) m_fec->setChecked(true);
    }
    ApplyModeLabels(index);
    m_spacing->show();
    m_spacing->setText(QString::asprintf("%d Hz", uhf.channelSpacing));
}

void CRadioSettingsPropertyPage::SubmitClicked() {
    ProgramState& p = Program();
    MAReceiver* receiver = p.receiver;
    if (!receiver || !p.worker || p.worker->Busy() || !m_submit->isEnabled()) return;
    const int index = m_mode->currentIndex();
    const bool fec = m_fec->isChecked();
    const QByteArray frequency = m_newFrequency->text().left(127).toLatin1();
    // The page stays as it is until the radio has answered: error
    // correction alone takes about nine seconds.
    m_submit->setEnabled(false);
    m_content->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The job works on its own copy of the record; what it sent comes back
    // when it has ended.
    auto record = std::make_shared<ReceiverData>(p.record);
    auto result = std::make_shared<HandheldRadioResult>(HandheldRadioResult::Refused);
    QPointer<CRadioSettingsPropertyPage> page = this;
    ReceiverData* programRecord = &p.record;
    const bool started = p.worker->Run(
        [receiver, record, result, index, fec, frequency] {
            *result = SubmitHandheldRadio(*receiver, *record, index, fec, frequency.constData());
        },
        [page, programRecord, record, result] {
            QApplication::restoreOverrideCursor();
            UhfBlock& uhf = programRecord->peripheral.uhf;
            const UhfBlock& sent = record->peripheral.uhf;
            uhf.errorCorrection = sent.errorCorrection;
            uhf.protocolMode = sent.protocolMode;
            uhf.currentFrequency = sent.currentFrequency;
            if (!page) return;
            page->m_content->setEnabled(true);
            page->m_submit->setEnabled(true);
            if (*result == HandheldRadioResult::Updated) {
                page->m_current->setText(MegahertzText(uhf.currentFrequency));
                page->m_submit->setFocus(Qt::OtherFocusReason);
                return;
            }
            // Back to the frequency, selected for typing over.
            QLineEdit* edit = page->m_newFrequency;
            edit->setFocus(Qt::OtherFocusReason);
            edit->setSelection(0, std::min<int>(100, static_cast<int>(edit->text().size())));
        });
    if (!started) {
        QApplication::restoreOverrideCursor();
        m_content->setEnabled(true);
        m_submit->setEnabled(true);
    }
}
