#include "gui/GsmForms.h"

#include <cstring>
#include <initializer_list>
#include <memory>

#include <QComboBox>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "RadioPageActions.h"
#include "gui/ProgramState.h"
#include "gui/QtOperator.h"
#include "gui/ReceiverWorker.h"

using namespace qvr;

namespace {

// The module takes single-byte texts: what the operator typed, cut to the
// length the page reads.
constexpr int kBearerFieldLength = 127;
constexpr int kMrsFieldLength = 254;

constexpr const char* kEnabledEntry = "Enabled";
constexpr const char* kDisabledEntry = "Disabled";

QByteArray FieldBytes(const QLineEdit* edit, int limit) { return edit->text().left(limit).toLatin1(); }

// A text field of the record (NUL-terminated within its array).
template <size_t N>
QString RecordText(const char (&field)[N]) {
    return QString::fromLatin1(field, static_cast<qsizetype>(qstrnlen(field, N)));
}

bool AllZero(const void* bytes, size_t count) {
    const auto* p = static_cast<const unsigned char*>(bytes);
    for (size_t i = 0; i < count; ++i)
        if (p[i] != 0) return false;
    return true;
}

QValidator* DigitsOnly(QObject* parent) {
    return new QRegularExpressionValidator(QRegularExpression("[0-9]*"), parent);
}

QLineEdit* MakeEdit(const char* name, int maxLength, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaxLength(maxLength);
    return edit;
}

QPushButton* MakeSubmit(QWidget* parent) {
    auto* submit = new QPushButton("&Submit", parent);
    submit->setObjectName("Submit");
    return submit;
}

// Sorted lists, as the operator sees them in both programs.
void FillSorted(QComboBox* list, std::initializer_list<const char*> entries) {
    list->clear();
    for (const char* entry : entries) list->addItem(entry);
    list->model()->sort(0);
}

} // namespace

// ---------------------------------------------------------------- GSM Bearer

GsmBearerForm::GsmBearerForm(ProgramState& program, QWidget* page, bool refillList)
    : QObject(page), m_program(program), m_refillList(refillList) {
    m_bearer = new QComboBox(page);
    m_bearer->setObjectName("BearerType");
    if (!refillList) FillList();
    m_userName = MakeEdit("UserName", kBearerFieldLength, page);
    m_password = MakeEdit("Password", kBearerFieldLength, page);
    m_accessPoint = MakeEdit("AccessPoint", kBearerFieldLength, page);
    m_timeout = MakeEdit("Timeout", kBearerFieldLength, page);
    m_timeout->setValidator(DigitsOnly(m_timeout));
    m_accessPointLabel = new QLabel("GPRSAP_CSDPN", page);
    m_accessPointLabel->setObjectName("AccessPointLabel");
    m_accessPointLabel->setBuddy(m_accessPoint);
    m_submit = MakeSubmit(page);

    QWidget::setTabOrder(m_bearer, m_userName);
    QWidget::setTabOrder(m_userName, m_password);
    QWidget::setTabOrder(m_password, m_accessPoint);
    QWidget::setTabOrder(m_accessPoint, m_timeout);
    QWidget::setTabOrder(m_timeout, m_submit);

    connect(m_bearer, &QComboBox::currentIndexChanged, this, &GsmBearerForm::BearerChanged);
    connect(m_submit, &QPushButton::clicked, this, &GsmBearerForm::SubmitClicked);
}

void GsmBearerForm::FillList() {
    m_filling = true;
    FillSorted(m_bearer, {"NO BEARER", "TCP GPRS"});
    m_filling = false;
}

void GsmBearerForm::Activate() {
    if (m_refillList) FillList();
    const BearerRecord& bearer = m_program.record.peripheral.bearer;
    // A module that was never given GPRS settings has no bearer, whatever
    // its default connection says.
    int m = bearer.defaultConnection;
    if (m == kBearerGprs && AllZero(bearer.gprsPppUserName, sizeof bearer.gprsPppUserName) &&
        AllZero(bearer.gprsPppPassword, sizeof bearer.gprsPppPassword) &&
        AllZero(bearer.gprsAccessPointName, sizeof bearer.gprsAccessPointName) && bearer.gprsTimeout == 0 &&
        bearer.gprsEntered == 0)
        m = kBearerNone;
    Fill(m);
}

void GsmBearerForm::Fill(int defaultConnection) {
    const BearerRecord& bearer = m_program.record.peripheral.bearer;
    m_filling = true;
    m_accessPointLabel->setText("Access Point &Name:");
    const bool none = defaultConnection == kBearerNone;
    if (!none) {
        // CSD, which this page cannot choose, shows as GPRS.
        m_timeout->setText(QString::number(bearer.gprsTimeout));
        m_userName->setText(RecordText(bearer.gprsPppUserName));
        m_password->setText(RecordText(bearer.gprsPppPassword));
        m_accessPoint->setText(RecordText(bearer.gprsAccessPointName));
    }
    m_bearer->setCurrentIndex(none ? kNoBearerEntry : kTcpGprsEntry);
    for (QLineEdit* edit : {m_userName, m_password, m_accessPoint, m_timeout}) edit->setEnabled(!none);
    m_filling = false;
}

void GsmBearerForm::BearerChanged(int entry) {
    if (m_filling || entry < 0) return;
    Fill(entry == kNoBearerEntry ? kBearerNone : kBearerGprs);
}

void GsmBearerForm::SubmitClicked() {
    ProgramState& p = m_program;
    MAReceiver* receiver = p.receiver;
    if (!receiver || !p.worker || p.worker->Busy()) return;
    const int type = m_bearer->currentIndex() == kTcpGprsEntry ? kBearerGprs : kBearerNone;
    const QByteArray user = FieldBytes(m_userName, kBearerFieldLength);
    const QByteArray password = FieldBytes(m_password, kBearerFieldLength);
    const QByteArray accessPoint = FieldBytes(m_accessPoint, kBearerFieldLength);
    const QByteArray timeout = FieldBytes(m_timeout, kBearerFieldLength);
    m_submit->setEnabled(false);
    // The job edits its own copy of the record, which takes each write the
    // module confirmed; the page's record takes it whatever the outcome, so
    // that after a write refused half-way the page shows what the module
    // holds (what the operator typed stays when nothing was written).
    auto record = std::make_shared<ReceiverData>(p.record);
    auto written = std::make_shared<bool>(false);
    const bool started = RunPageJob(
        p, this, false,
        [receiver, record, written, type, user, password, accessPoint, timeout] {
            *written = SubmitGsmBearer(*receiver, *record, type, user.constData(), password.constData(),
                                       accessPoint.constData(), timeout.constData());
        },
        [this, record, written] {
            BearerRecord& held = m_program.record.peripheral.bearer;
            const bool changed = std::memcmp(&held, &record->peripheral.bearer, sizeof held) != 0;
            held = record->peripheral.bearer;
            if (!*written && changed) Activate();
            m_submit->setEnabled(true);
        });
    if (!started) m_submit->setEnabled(true);
}

// ---------------------------------------------------------------- MRS

MrsForm::MrsForm(ProgramState& program, QWidget* page, Variant variant)
    : QObject(page), m_program(program), m_variant(variant) {
    m_startUp = new QComboBox(page);
    m_startUp->setObjectName("StartUp");
    if (variant == Variant::Desktop) {
        m_startUp->setEditable(true);
        m_startUp->setInsertPolicy(QComboBox::NoInsert);
        FillList();
        // Text typed into the edit part picks an entry only when it is the
        // entry's own text.
        if (QCompleter* completer = m_startUp->completer()) completer->setCaseSensitivity(Qt::CaseSensitive);
    }
    m_mountPoint = MakeEdit("MountPoint", kMrsFieldLength, page);
    m_password = MakeEdit("Password", kMrsFieldLength, page);
    m_address = MakeEdit("Address", kMrsFieldLength, page);
    m_port = MakeEdit("Port", kMrsFieldLength, page);
    m_port->setValidator(DigitsOnly(m_port));
    m_submit = MakeSubmit(page);

    connect(m_submit, &QPushButton::clicked, this, &MrsForm::SubmitClicked);
}

void MrsForm::FillList() {
    FillSorted(m_startUp, {kEnabledEntry, kDisabledEntry});
    // Nothing chosen until the record says what the module keeps.
    m_startUp->setCurrentIndex(-1);
}

void MrsForm::SetControlsEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_startUp, m_mountPoint, m_password, m_address, m_port,
                                                      m_submit})
        w->setEnabled(enabled);
}

void MrsForm::SelectStoredStartUp() {
    const bool enabled = m_program.record.peripheral.gsm.ntrip.enabledOnStartup != 0;
    m_startUp->setCurrentIndex(m_startUp->findText(enabled ? kEnabledEntry : kDisabledEntry));
}

void MrsForm::Activate() {
    ProgramState& p = m_program;
    if (m_variant == Variant::Handheld) FillList();
    // Older applets have no NTRIP source: said at every visit.
    if (!MrsAvailable(p.record)) {
        SetControlsEnabled(false);
        if (p.ui)
            p.ui->ShowMessage("MRS is only available for GSM modules with an applet version of 3.002 or higher.",
                              m_variant == Variant::Handheld ? kHandheldCaption : kDesktopCaption,
                              MessageIcon::Error, MessageButtons::Ok);
        return;
    }
    SetControlsEnabled(true);
    const NtripSourceRecord& ntrip = p.record.peripheral.gsm.ntrip;
    m_port->setText(QString::number(ntrip.port));
    m_address->setText(RecordText(ntrip.casterAddress));
    m_mountPoint->setText(RecordText(ntrip.mountPoint));
    m_password->setText(RecordText(ntrip.password));
    SelectStoredStartUp();
}

void MrsForm::SubmitClicked() {
    ProgramState& p = m_program;
    MAReceiver* receiver = p.receiver;
    if (!receiver || !p.worker || p.worker->Busy()) return;
    // Only the "Enabled" entry enables; any other text in the list's edit
    // part counts as disabled.
    const bool enabled = m_startUp->currentText() == kEnabledEntry;
    const QByteArray port = FieldBytes(m_port, kMrsFieldLength);
    const QByteArray address = FieldBytes(m_address, kMrsFieldLength);
    const QByteArray mountPoint = FieldBytes(m_mountPoint, kMrsFieldLength);
    const QByteArray password = FieldBytes(m_password, kMrsFieldLength);
    SetControlsEnabled(false);
    auto record = std::make_shared<ReceiverData>(p.record);
    auto result = std::make_shared<MrsResult>(MrsResult::Failed);
    const bool started = RunPageJob(
        p, this, true,
        [receiver, record, result, enabled, port, address, mountPoint, password] {
            *result = SubmitMrs(*receiver, *record, enabled, port.constData(), address.constData(),
                                mountPoint.constData(), password.constData());
        },
        [this, record, result] {
            ProgramState& state = m_program;
            state.record.peripheral.gsm.ntrip = record->peripheral.gsm.ntrip;
            SetControlsEnabled(MrsAvailable(state.record));
            // The cost question declined: the list shows what the module keeps.
            if (*result == MrsResult::Declined) SelectStoredStartUp();
        });
    if (!started) SetControlsEnabled(true);
}
