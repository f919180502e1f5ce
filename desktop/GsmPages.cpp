#include "desktop/GsmPages.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
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

QLineEdit* MakeEdit(const char* name, int maxLength, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaxLength(maxLength);
    return edit;
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
    : CQVRPage(program, "GSM Bearer", 6, parent), m_form(new GsmBearerForm(program, this, false)) {
    auto* grid = new FormGrid;
    grid->AddRow(new QLabel("&Bearer Type:", this), m_form->BearerType());
    grid->AddRow(new QLabel("Outgoing CHAP &Username:", this), m_form->UserName());
    grid->AddRow(new QLabel("Outgoing CHAP &Password:", this), m_form->Password());
    grid->AddRow(m_form->AccessPointLabel(), m_form->AccessPoint());
    grid->AddRow(new QLabel("Connection &Timeout:", this), m_form->Timeout());

    auto* layout = PageLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(ButtonRow(m_form->Submit(), MakeHelpButton()));
    setMinimumSize(kPageMinWidth, kPageMinHeight);
}

void CGSMBearerSettingsPropertyPage::OnSetActive() { m_form->Activate(); }

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
    const bool started = RunPageJob(
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

CDlgAutoMRS::CDlgAutoMRS(ProgramState& program, QWidget* parent)
    : CQVRPage(program, "MRS", 8, parent), m_form(new MrsForm(program, this, Variant::Desktop)) {
    auto* grid = new FormGrid;
    grid->AddRow(new QLabel("&Enable NTRIP source on start:", this), m_form->StartUp());
    grid->AddRow(new QLabel("&Mount point name:", this), m_form->MountPoint());
    grid->AddRow(new QLabel("&Password:", this), m_form->Password());
    grid->AddRow(new QLabel("&IP address:", this), m_form->Address());
    grid->AddRow(new QLabel("Port &number:", this), m_form->Port());

    auto* layout = PageLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(ButtonRow(m_form->Submit(), MakeHelpButton()));
    setMinimumSize(kPageMinWidth, kPageMinHeight);
}

void CDlgAutoMRS::OnSetActive() { m_form->Activate(); }

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
    const bool started = RunPageJob(
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
