#include "desktop/GsmPages.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <memory>

#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QVBoxLayout>

#include "GsmVocabulary.h"
#include "RadioPageActions.h"
#include "Text.h"
#include "gui/FormLayout.h"
#include "gui/ProgramState.h"
#include "gui/QtOperator.h"
#include "gui/ReceiverWorker.h"

using namespace qvr;

namespace {

// The module takes single-byte texts: what the operator typed, cut to the
// length the page reads.
constexpr int kBearerFieldLength = 127;
constexpr int kMrsFieldLength = 254;
constexpr int kWebSiteLength = 254;
constexpr int kAtCommandLength = 1023;
// The TCP test's and the AT exchange's output buffers.
constexpr size_t kTcpOutputSize = 5000;
constexpr size_t kAtResultSize = 2048;

QByteArray FieldBytes(const QLineEdit* edit, int limit) { return edit->text().left(limit).toLatin1(); }

// A text field of the record (NUL-terminated within its array).
template <size_t N>
QString RecordText(const char (&field)[N]) {
    return QString::fromLatin1(field, static_cast<qsizetype>(qstrnlen(field, N)));
}

// What the module sent, for a multi-line field: its line ends as the
// field's, carriage returns of its echo dropped.
QString OutputText(const char* text) {
    QString s = QString::fromLatin1(text);
    s.replace("\r\n", "\n");
    s.remove('\r');
    return s;
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

// Runs a job on the worker and then done on the user-interface thread,
// unless owner has gone by then. The keyboard focus goes back to the
// control the operator used (a button disabled while the job ran).
bool RunJob(ProgramState& p, QObject* owner, bool waitCursor, std::function<void()> job,
            std::function<void()> done) {
    if (!p.worker || p.worker->Busy()) return false;
    QPointer<QObject> guard(owner);
    QPointer<QWidget> focus = QApplication::focusWidget();
    auto finish = [guard, focus, done = std::move(done)] {
        if (!guard) return;
        done();
        if (focus && focus->isEnabled() && focus->isVisible()) focus->setFocus(Qt::OtherFocusReason);
    };
    return waitCursor ? p.worker->RunWithWaitCursor(std::move(job), std::move(finish))
                      : p.worker->Run(std::move(job), std::move(finish));
}

QHBoxLayout* ButtonRow(QPushButton* left, QPushButton* help) {
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(left);
    buttons->addStretch();
    buttons->addWidget(help);
    return buttons;
}

QVBoxLayout* PageLayout(QWidget* page) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(16, 16, 16, 12);
    return layout;
}

} // namespace

// ---------------------------------------------------------------- GSM Bearer

CGSMBearerSettingsPropertyPage::CGSMBearerSettingsPropertyPage(ProgramState& program, QWidget* parent)
    : CQVRPage(program, "GSM Bearer", 6, parent) {
    m_bearer = new QComboBox(this);
    m_bearer->setObjectName("BearerType");
    m_bearer->addItem("NO BEARER");
    m_bearer->addItem("TCP GPRS");
    m_userName = MakeEdit("UserName", kBearerFieldLength, this);
    m_password = MakeEdit("Password", kBearerFieldLength, this);
    m_accessPoint = MakeEdit("AccessPoint", kBearerFieldLength, this);
    m_timeout = MakeEdit("Timeout", kBearerFieldLength, this);
    m_timeout->setValidator(DigitsOnly(m_timeout));
    m_accessPointLabel = new QLabel("GPRSAP_CSDPN", this);
    m_accessPointLabel->setObjectName("AccessPointLabel");
    m_submit = new QPushButton("&Submit", this);
    m_submit->setObjectName("Submit");

    auto* grid = new FormGrid;
    grid->AddRow(new QLabel("&Bearer Type:", this), m_bearer);
    grid->AddRow(new QLabel("Outgoing CHAP &Username:", this), m_userName);
    grid->AddRow(new QLabel("Outgoing CHAP &Password:", this), m_password);
    grid->AddRow(m_accessPointLabel, m_accessPoint);
    grid->AddRow(new QLabel("Connection &Timeout:", this), m_timeout);

    auto* layout = PageLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(ButtonRow(m_submit, MakeHelpButton()));
    setMinimumSize(kPageMinWidth, kPageMinHeight);

    setTabOrder(m_bearer, m_userName);
    setTabOrder(m_userName, m_password);
    setTabOrder(m_password, m_accessPoint);
    setTabOrder(m_accessPoint, m_timeout);
    setTabOrder(m_timeout, m_submit);

    connect(m_bearer, &QComboBox::currentIndexChanged, this, &CGSMBearerSettingsPropertyPage::BearerChanged);
    connect(m_submit, &QPushButton::clicked, this, &CGSMBearerSettingsPropertyPage::SubmitClicked);
}

void CGSMBearerSettingsPropertyPage::OnSetActive() {
    const BearerRecord& bearer = Program().record.peripheral.bearer;
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

void CGSMBearerSettingsPropertyPage::Fill(int defaultConnection) {
    const BearerRecord& bearer = Program().record.peripheral.bearer;
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

void CGSMBearerSettingsPropertyPage::BearerChanged(int entry) {
    if (m_filling || entry < 0) return;
    Fill(entry == kNoBearerEntry ? kBearerNone : kBearerGprs);
}

void CGSMBearerSettingsPropertyPage::SubmitClicked() {
    ProgramState& p = Program();
    MAReceiver* receiver = p.receiver;
    if (!receiver || !p.worker || p.worker->Busy()) return;
    const int type = m_bearer->currentIndex() == kTcpGprsEntry ? kBearerGprs : kBearerNone;
    const QByteArray user = FieldBytes(m_userName, kBearerFieldLength);
    const QByteArray password = FieldBytes(m_password, kBearerFieldLength);
    const QByteArray accessPoint = FieldBytes(m_accessPoint, kBearerFieldLength);
    const QByteArray timeout = FieldBytes(m_timeout, kBearerFieldLength);
    m_submit->setEnabled(false);
    // The job edits its own copy of the record; the page's record takes it
    // when the module took the settings.
    auto record = std::make_shared<ReceiverData>(p.record);
    auto written = std::make_shared<bool>(false);
    const bool started = RunJob(
        p, this, false,
        [receiver, record, written, type, user, password, accessPoint, timeout] {
            *written = SubmitGsmBearer(*receiver, *record, type, user.constData(), password.constData(),
                                       accessPoint.constData(), timeout.constData());
        },
        [this, record, written] {
            if (*written) Program().record.peripheral.bearer = record->peripheral.bearer;
            m_submit->setEnabled(true);
        });
    if (!started) m_submit->setEnabled(true);
}

// ---------------------------------------------------------------- GSM Settings

CGSMSettingsPropertyPage::CGSMSettingsPropertyPage(ProgramState& program, QWidget* parent)
    : CQVRPage(program, "GSM Settings", 5, parent) {
    auto display = [this](const char* name) {
        QLabel* field = DisplayField("N/A", this);
        field->setObjectName(name);
        return field;
    };
    m_moduleType = display("ModuleType");
    m_hardware = display("HardwareVersion");
    m_firmware = display("FirmwareVersion");
    m_applet = display("AppletVersion");
    m_rssi = display("Rssi");
    m_totalMemory = display("TotalMemory");
    m_network = display("NetworkStatus");

    auto* grid = new FormGrid;
    grid->setVerticalSpacing(4);
    grid->AddRow(new QLabel("Module type:", this), m_moduleType);
    grid->AddRow(new QLabel("Hardware version:", this), m_hardware);
    grid->AddRow(new QLabel("Firmware version:", this), m_firmware);
    grid->AddRow(new QLabel("Applet version:", this), m_applet);
    grid->AddRow(new QLabel("RSSI (dB):", this), m_rssi);
    grid->AddRow(new QLabel("Total memory:", this), m_totalMemory);
    grid->AddRow(new QLabel("Network status:", this), m_network);

    m_testGroup = new QGroupBox("Test TCP/GPRS/CSD", this);
    m_testGroup->setObjectName("TestGroup");
    m_webSite = MakeEdit("WebSite", kWebSiteLength, m_testGroup);
    m_connect = new QPushButton("&Connect", m_testGroup);
    m_connect->setObjectName("Connect");
    m_output = new QPlainTextEdit(m_testGroup);
    m_output->setObjectName("Output");
    m_output->setReadOnly(true);
    m_output->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_output->setMinimumHeight(64);

    auto* site = new QHBoxLayout;
    site->addWidget(m_webSite, 1);
    site->addWidget(m_connect);
    auto* test = new FormGrid;
    test->setColumnStretch(1, 1);
    test->setColumnStretch(2, 0);
    auto* siteLabel = new QLabel("&Web Site:", m_testGroup);
    siteLabel->setBuddy(m_webSite);
    test->AddRow(siteLabel, site);
    auto* outputLabel = new QLabel("HTT&P:", m_testGroup);
    outputLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    test->AddRow(outputLabel, m_output);
    m_output->setMaximumWidth(QWIDGETSIZE_MAX);
    m_testGroup->setLayout(test);

    auto* layout = PageLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(4);
    layout->addWidget(m_testGroup);
    layout->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(MakeHelpButton());
    layout->addLayout(buttons);
    // The test's output needs a few lines: the page grows for them.
    setMinimumSize(kPageMinWidth, std::max(kPageMinHeight, layout->minimumSize().height()));

    connect(m_connect, &QPushButton::clicked, this, &CGSMSettingsPropertyPage::ConnectClicked);
}

void CGSMSettingsPropertyPage::OnSetActive() {
    const ReceiverData& record = Program().record;
    const GsmBlock& gsm = record.peripheral.gsm;
    // The test goes over the default connection (a caption for none stays).
    if (record.peripheral.bearer.defaultConnection == kBearerGprs) m_testGroup->setTitle("Test TCP/GPRS");
    else if (record.peripheral.bearer.defaultConnection == kBearerCsd) m_testGroup->setTitle("Test TCP/CSD");
    m_moduleType->setText(RecordText(gsm.moduleType));
    m_applet->setText(RecordText(gsm.appletVersion));
    m_totalMemory->setText(RecordText(gsm.totalMemory));
    m_firmware->setText(RecordText(gsm.firmwareVersion));
    m_hardware->setText(RecordText(gsm.hardwareVersion));
    char signal[sizeof gsm.signalLevel + 32];
    char level[sizeof gsm.signalLevel];
    std::memcpy(level, gsm.signalLevel, sizeof level);
    level[sizeof level - 1] = '\0';
    FormatSignalLevel(signal, level);
    m_rssi->setText(QString::fromLatin1(signal));
    m_network->setText(QString::fromLatin1(RegistrationText(gsm.registrationState)));
}

void CGSMSettingsPropertyPage::ConnectClicked() {
    ProgramState& p = Program();
    MAReceiver* receiver = p.receiver;
    if (!receiver || !p.worker || p.worker->Busy()) return;
    m_connect->setEnabled(false);
    m_output->clear();
    const QByteArray text = FieldBytes(m_webSite, kWebSiteLength);
    auto output = std::make_shared<std::array<char, kTcpOutputSize>>();
    const bool started = RunJob(
        p, this, false,
        [receiver, text, output] {
            char site[kWebSiteLength + 1];
            TcpTestSite(text.constData(), site, sizeof site);
            receiver->TestTcpConnection(site, output->data(), output->size());
        },
        [this, output] {
            m_output->setPlainText(OutputText(output->data()));
            m_connect->setEnabled(true);
        });
    if (!started) m_connect->setEnabled(true);
}

// ---------------------------------------------------------------- MRS

namespace {
constexpr const char* kEnabledEntry = "Enabled";
constexpr const char* kDisabledEntry = "Disabled";
} // namespace

CDlgAutoMRS::CDlgAutoMRS(ProgramState& program, QWidget* parent) : CQVRPage(program, "MRS", 8, parent) {
    m_startUp = new QComboBox(this);
    m_startUp->setObjectName("StartUp");
    m_startUp->setEditable(true);
    m_startUp->setInsertPolicy(QComboBox::NoInsert);
    m_startUp->addItem(kEnabledEntry);
    m_startUp->addItem(kDisabledEntry);
    m_startUp->model()->sort(0);
    m_startUp->setCurrentIndex(-1);
    // Text typed into the edit part picks an entry only when it is the
    // entry's own text.
    if (QCompleter* completer = m_startUp->completer()) completer->setCaseSensitivity(Qt::CaseSensitive);
    m_mountPoint = MakeEdit("MountPoint", kMrsFieldLength, this);
    m_password = MakeEdit("Password", kMrsFieldLength, this);
    m_address = MakeEdit("Address", kMrsFieldLength, this);
    m_port = MakeEdit("Port", kMrsFieldLength, this);
    m_port->setValidator(DigitsOnly(m_port));
    m_submit = new QPushButton("&Submit", this);
    m_submit->setObjectName("Submit");

    auto* grid = new FormGrid;
    grid->AddRow(new QLabel("&Enable NTRIP source on start:", this), m_startUp);
    grid->AddRow(new QLabel("&Mount point name:", this), m_mountPoint);
    grid->AddRow(new QLabel("&Password:", this), m_password);
    grid->AddRow(new QLabel("&IP address:", this), m_address);
    grid->AddRow(new QLabel("Port &number:", this), m_port);

    auto* layout = PageLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(ButtonRow(m_submit, MakeHelpButton()));
    setMinimumSize(kPageMinWidth, kPageMinHeight);

    connect(m_submit, &QPushButton::clicked, this, &CDlgAutoMRS::SubmitClicked);
}

void CDlgAutoMRS::SetControlsEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_startUp, m_mountPoint, m_password, m_address, m_port,
                                                      m_submit})
        w->setEnabled(enabled);
}

void CDlgAutoMRS::SelectStoredStartUp() {
    const bool enabled = Program().record.peripheral.gsm.ntrip.enabledOnStartup != 0;
    m_startUp->setCurrentIndex(m_startUp->findText(enabled ? kEnabledEntry : kDisabledEntry));
}

void CDlgAutoMRS::OnSetActive() {
    ProgramState& p = Program();
    // Older applets have no NTRIP source: said at every visit.
    if (!MrsAvailable(p.record)) {
        SetControlsEnabled(false);
        if (p.ui)
            p.ui->ShowMessage("MRS is only available for GSM modules with an applet version of 3.002 or higher.",
                              kDesktopCaption, MessageIcon::Error, MessageButtons::Ok);
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

void CDlgAutoMRS::SubmitClicked() {
    ProgramState& p = Program();
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
    const bool started = RunJob(
        p, this, true,
        [receiver, record, result, enabled, port, address, mountPoint, password] {
            *result = SubmitMrs(*receiver, *record, enabled, port.constData(), address.constData(),
                                mountPoint.constData(), password.constData());
        },
        [this, record, result] {
            ProgramState& state = Program();
            state.record.peripheral.gsm.ntrip = record->peripheral.gsm.ntrip;
            SetControlsEnabled(MrsAvailable(state.record));
            // The cost question declined: the list shows what the module keeps.
            if (*result == MrsResult::Declined) SelectStoredStartUp();
        });
    if (!started) SetControlsEnabled(true);
}

// ---------------------------------------------------------------- AT Test Mode

ATModeTestDialog::ATModeTestDialog(ProgramState& program, QWidget* parent) : QDialog(parent), m_program(program) {
    setWindowTitle("AT Test Mode");
    setObjectName("ATModeTestDialog");
    m_command = new QLineEdit("AT&V", this);
    m_command->setObjectName("Command");
    m_command->setMaxLength(kAtCommandLength);
    m_submit = new QPushButton("&Submit Command", this);
    m_submit->setObjectName("SubmitCommand");
    m_result = new QPlainTextEdit(this);
    m_result->setObjectName("Result");
    m_result->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_result->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_result->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_exit = new QPushButton("E&xit", this);
    m_exit->setObjectName("Exit");
    m_exit->setDefault(true);

    auto* commandLabel = new QLabel("&Enter AT command:", this);
    commandLabel->setBuddy(m_command);
    auto* resultLabel = new QLabel("&Result of AT Command:", this);
    resultLabel->setBuddy(m_result);
    auto* commandRow = new QHBoxLayout;
    commandRow->addWidget(m_command, 1);
    commandRow->addWidget(m_submit);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_exit);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(commandLabel);
    layout->addLayout(commandRow);
    layout->addSpacing(6);
    layout->addWidget(resultLabel);
    layout->addWidget(m_result, 1);
    layout->addLayout(buttons);
    // 236 x 177 dialog units.
    resize(354, 288);

    connect(m_submit, &QPushButton::clicked, this, &ATModeTestDialog::SubmitClicked);
    connect(m_exit, &QPushButton::clicked, this, &ATModeTestDialog::accept);
}

void ATModeTestDialog::done(int result) {
    // Not while a command is with the module: the dialog waits for its reply.
    if (m_running) return;
    QDialog::done(result);
}

void ATModeTestDialog::SubmitClicked() {
    ProgramState& p = m_program;
    MAReceiver* receiver = p.receiver;
    if (m_running || !receiver || !p.worker || p.worker->Busy()) return;
    const QByteArray typed = FieldBytes(m_command, kAtCommandLength);
    // Room for the line end the exchange appends.
    auto command = std::make_shared<std::array<char, kAtCommandLength + 3>>();
    CopyCut(command->data(), command->size(), typed.constData());
    auto result = std::make_shared<std::array<char, kAtResultSize>>();
    auto sent = std::make_shared<bool>(false);
    m_running = true;
    m_submit->setEnabled(false);
    m_exit->setEnabled(false);
    const bool started = RunJob(
        p, this, false,
        [receiver, command, result, sent] {
            const size_t before = std::strlen(command->data());
            RunAtTestCommand(*receiver, command->data(), command->size(), result->data(), result->size());
            // A command that went to the module carries its line end now.
            *sent = std::strlen(command->data()) > before;
        },
        [this, command, result, sent] {
            m_running = false;
            if (*sent) Append(OutputText(command->data()));
            Append(OutputText(result->data()));
            m_result->repaint();
            m_submit->setEnabled(true);
            m_exit->setEnabled(true);
        });
    if (!started) {
        m_running = false;
        m_submit->setEnabled(true);
        m_exit->setEnabled(true);
    }
}

void ATModeTestDialog::Append(const QString& text) {
    m_result->moveCursor(QTextCursor::End);
    m_result->insertPlainText(text);
    m_result->moveCursor(QTextCursor::End);
    m_result->ensureCursorVisible();
    m_result->verticalScrollBar()->setValue(m_result->verticalScrollBar()->maximum());
}
