#include "handheld/ConnectionPage.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include "PageActions.h"
#include "gui/ProgramState.h"
#include "gui/QtOperator.h"
#include "gui/ReceiverWorker.h"
#include "handheld/ProcessList.h"

using namespace qvr;

namespace {

int g_pollIntervalMs = 1000;

constexpr const char* kCompanionRunning =
    "This program cannot operate concurrently with TRV+. Please terminate TRV+ and re-run this program.";

QLabel* Value(const QString& text, QWidget* parent, const char* name) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

CConnectionsPropertyPage::CConnectionsPropertyPage(ProgramState& program, IProcessList* processes, QWidget* parent)
    : CHandheldPage(program, "Connection", "#Connection_tab", parent), m_processes(processes),
      m_state(std::make_shared<std::atomic<int>>(kConnected)) {
    // The rows scroll on a screen too small for them; labels go above their
    // values where a row is too narrow for both.
    auto* content = new QWidget;
    m_ports = new QComboBox(content);
    m_ports->setObjectName("PortList");
    m_ports->setMinimumContentsLength(6);
    m_ports->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // A serial server's port is typed in: tcp://HOST:PORT, rfc2217://HOST:PORT.
    m_ports->setEditable(true);
    m_ports->setInsertPolicy(QComboBox::NoInsert);
    m_status = Value("Not connected.", content, "ConnectionStatus");
    // A bold version of the page's font.
    QFont bold = m_status->font();
    bold.setWeight(QFont::Bold);
    m_status->setFont(bold);
    m_serial = Value("Unknown", content, "SerialNumber");
    m_firmware = Value("Unknown", content, "FirmwareRevision");
    m_version = Value("9.3.2-CE", content, "Version");
    m_connect = new QPushButton("Connect", content);
    m_connect->setObjectName("Connect");
    m_connect->setDefault(true);

    auto* form = new QFormLayout;
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setVerticalSpacing(6);
    auto* portLabel = new QLabel("COM port:", content);
    portLabel->setBuddy(m_ports);
    form->addRow(portLabel, m_ports);
    form->addRow(new QLabel("Status:", content), m_status);
    form->addRow(new QLabel("Serial number:", content), m_serial);
    form->addRow(new QLabel("Firmware revision:", content), m_firmware);
    form->addRow(new QLabel("Version:", content), m_version);
    auto* inner = new QVBoxLayout(content);
    inner->setContentsMargins(6, 6, 6, 6);
    inner->addLayout(form);
    inner->addSpacing(6);
    inner->addWidget(m_connect, 0, Qt::AlignLeft);
    inner->addStretch();

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("Scroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);

    // The fixed ports of the field controllers; a simulated receiver's port
    // comes first and is selected.
    if (!Program().simulatedPort.isEmpty()) m_ports->addItem(Program().simulatedPort);
    for (const char* port : {"COM1", "COM2", "COM6"}) m_ports->addItem(port);
    m_ports->setCurrentIndex(0);

    m_timer = new QTimer(this);
    m_timer->setObjectName("ConnectTimer");
    connect(m_timer, &QTimer::timeout, this, &CConnectionsPropertyPage::Tick);
    connect(m_connect, &QPushButton::clicked, this, &CConnectionsPropertyPage::ButtonClicked);
}

void CConnectionsPropertyPage::SetPollInterval(int ms) { g_pollIntervalMs = ms; }

bool CConnectionsPropertyPage::Polling() const { return m_timer->isActive(); }

void CConnectionsPropertyPage::showEvent(QShowEvent* event) {
    CHandheldPage::showEvent(event);
    if (m_initialised) return;
    // The first time the page is shown: TRV+ must not be running.
    m_initialised = true;
    CompanionGuard();
}

bool CConnectionsPropertyPage::CompanionGuard() {
    if (!m_processes || !CompanionRunning(*m_processes)) return true;
    Program().ui->ShowMessage(kCompanionRunning, kHandheldCaption, MessageIcon::None, MessageButtons::Ok);
    EndProgram(Program(), 0);
    return false;
}

void CConnectionsPropertyPage::OnSetActive() {
    if (Program().connected) m_connect->setText("Disconnect");
}

void CConnectionsPropertyPage::ButtonClicked() {
    if (Program().worker->Busy() || Polling()) return;
    if (Program().connected) {
        Disconnect();
        return;
    }
    if (!CompanionGuard()) return;
    Connect();
}

void CConnectionsPropertyPage::Connect() {
    ProgramState& p = Program();
    const QByteArray port = m_ports->currentText().trimmed().left(259).toLatin1();
    m_status->setText("Connecting...");
    m_connect->setEnabled(false);
    m_ports->setEnabled(false);
    m_status->repaint();
    m_connect->repaint();
    m_ports->repaint();
    // The refresh's progress texts go to the status text.
    p.ui->SetStatusLabel(m_status);
    *m_state = kConnectStarted;
    m_timer->start(g_pollIntervalMs);
    // The job touches no page or control: when the window closes during a
    // connect it is stopped at its next wait and ends on its own.
    MAReceiver* receiver = p.receiver;
    ReceiverData* record = &p.record;
    IStatusSink* status = p.ui;
    std::shared_ptr<std::atomic<int>> state = m_state;
    p.worker->RunWithWaitCursor([receiver, record, status, state, port] {
        *state = kConnectStarted;
        if (!ConnectReceiver(*receiver, port.constData())) {
            *state = kNoReceiver;
            return;
        }
        *state = kRefreshing;
        // A receiver that stops answering is told as on the desktop.
        if (!RefreshReceiverData(*receiver, *record, status)) {
            *state = kRefreshFailed;
            return;
        }
        *state = kConnected;
        WarnIfOutOfDate(*receiver, *record);
    }, {}, m_connect);
}

void CConnectionsPropertyPage::Tick() {
    m_timer->stop();
    ProgramState& p = Program();
    switch (m_state->load()) {
    case kConnectStarted:
    case kRefreshing:
        m_timer->start(g_pollIntervalMs);
        break;
    case kNoReceiver:
    case kRefreshFailed:
        // The job's last progress texts may still be queued behind this
        // tick: they must not overwrite the outcome.
        p.ui->SetStatusLabel(nullptr);
        p.connected = false;
        m_connect->setEnabled(true);
        m_ports->setEnabled(true);
        m_status->setText("Not connected");
        m_status->repaint();
        if (isVisible()) m_connect->setFocus(Qt::OtherFocusReason);
        break;
    case kConnected: {
        p.ui->SetStatusLabel(nullptr);  // as above
        *m_state = kConnected;
        p.connected = true;
        emit connected();
        m_status->setText("Connected");
        m_serial->setText(QString::fromLatin1(p.record.info.serialNumber));
        char firmware[300];
        FirmwareText(p.record, firmware, sizeof firmware);
        m_firmware->setText(QString::fromLatin1(firmware));
        m_connect->setEnabled(true);
        m_connect->setText("Disconnect");
        if (isVisible()) m_connect->setFocus(Qt::OtherFocusReason);
        break;
    }
    default: break;
    }
}

void CConnectionsPropertyPage::Disconnect() {
    ProgramState& p = Program();
    emit disconnected();
    p.connected = false;
    m_serial->setText("Unknown");
    m_firmware->setText("Unknown");
    m_connect->setEnabled(true);
    m_ports->setEnabled(true);
    m_connect->setText("Connect");
    m_status->setText("Not connected");
    for (QWidget* w : {static_cast<QWidget*>(m_serial), static_cast<QWidget*>(m_firmware),
                       static_cast<QWidget*>(m_connect), static_cast<QWidget*>(m_ports),
                       static_cast<QWidget*>(m_status)})
        w->repaint();
    p.receiver->Disconnect();  // closes the port; nothing is sent to the receiver
}
