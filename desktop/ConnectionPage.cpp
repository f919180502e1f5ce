#include "desktop/ConnectionPage.h"
#include "desktop/ProfileButtons.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ComPort.h"
#include "PageActions.h"
#include "gui/FormLayout.h"
#include "gui/ProgramState.h"
#include "gui/QtOperator.h"
#include "gui/ReceiverWorker.h"
#include "gui/Startup.h"

using namespace qvr;

namespace {

QLabel* Value(const QString& text, QWidget* parent) { return DisplayField(text, parent); }

} // namespace

CCConnectionPropertyPage::CCConnectionPropertyPage(ProgramState& program, QWidget* parent)
    : CQVRPage(program, "Connection", 1, parent) {
    auto* grid = new FormGrid;
    grid->setVerticalSpacing(10);
    auto addRow = [&](QLabel* label, QWidget* value) { grid->AddRow(label, value); };
    m_ports = new QComboBox(this);
    m_ports->setObjectName("PortList");
    m_ports->setMinimumWidth(160);
    m_ports->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    // A serial server's port is typed in: tcp://HOST:PORT, rfc2217://HOST:PORT.
    m_ports->setEditable(true);
    m_ports->setInsertPolicy(QComboBox::NoInsert);
    m_ports->setToolTip("A listed port, or a serial server on the network: tcp://HOST:PORT or rfc2217://HOST:PORT");
    addRow(new QLabel("PC COM &port:", this), m_ports);
    m_rememberRate = new QCheckBox("Try the &last found rate first", this);
    m_rememberRate->setObjectName("RememberRate");
    m_rememberRate->setToolTip("Connect tries first the rate at which it last found a receiver on this port");
    m_rememberRate->setChecked(program.rates ? program.rates->Enabled() : false);
    m_rememberRate->setEnabled(program.rates != nullptr);
    connect(m_rememberRate, &QCheckBox::toggled, this, [this](bool on) { SetRememberRateSetting(Program(), on); });
    addRow(new QLabel(this), m_rememberRate);
    addRow(new QLabel("Port configuration:", this), Value(" N,8,1, NO FLOW", this));
    m_status = Value("Not Connected.", this);
    m_status->setObjectName("ConnectionStatus");
    addRow(new QLabel("Connection status:", this), m_status);
    m_serialLabel = new QLabel("Serial number:", this);
    m_serial = Value("Unknown.", this);
    m_serial->setObjectName("SerialNumber");
    addRow(m_serialLabel, m_serial);
    m_firmwareLabel = new QLabel("Firmware version:", this);
    m_firmware = Value("N/A", this);
    m_firmware->setObjectName("FirmwareVersion");
    addRow(m_firmwareLabel, m_firmware);
    m_radioLabel = new QLabel("Internal radio:", this);
    m_radio = Value("N/A", this);
    m_radio->setObjectName("InternalRadio");
    addRow(m_radioLabel, m_radio);
    // While not connected the identity rows are hidden and the version row
    // moves up into their place.
    addRow(new QLabel("Version:", this), Value("8.4.2", this));

    m_connect = new QPushButton("&Connect", this);
    m_connect->setObjectName("Connect");
    m_connect->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_connect);
    m_saveSettings = new QPushButton("Save Settings...", this);
    m_saveSettings->setObjectName("SaveSettings");
    m_saveSettings->setToolTip("Saves the receiver's settings to a profile file");
    m_applySettings = new QPushButton("Apply Settings...", this);
    m_applySettings->setObjectName("ApplySettings");
    m_applySettings->setToolTip("Applies the settings of a profile file that differ from the receiver's");
    buttons->addWidget(m_saveSettings);
    buttons->addWidget(m_applySettings);
    buttons->addStretch();
    buttons->addWidget(MakeHelpButton());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttons);
    setMinimumSize(kPageMinWidth, kPageMinHeight);

    connect(m_connect, &QPushButton::clicked, this, &CCConnectionPropertyPage::ButtonClicked);
    connect(m_saveSettings, &QPushButton::clicked, this, [this] { profile_buttons::SaveSettings(Program(), this); });
    connect(m_applySettings, &QPushButton::clicked, this, [this] { profile_buttons::ApplySettings(Program(), this, m_status); });
    FillPorts();
    ShowIdentity(false);
}

void CCConnectionPropertyPage::FillPorts() {
    m_ports->clear();
    const QString simulated = Program().simulatedPort;
    if (!simulated.isEmpty()) m_ports->addItem(simulated);
    CComPort enumerator;
    const int count = enumerator.EnumeratePorts();
    for (int i = 0; i < count; ++i) {
        char name[CComPort::kPortNameSize];
        if (enumerator.GetComPortName(name, i)) m_ports->addItem(QString::fromLatin1(name));
    }
    m_ports->setCurrentIndex(0);
}

void CCConnectionPropertyPage::ShowIdentity(bool show) {
    for (QWidget* w : {static_cast<QWidget*>(m_serialLabel), static_cast<QWidget*>(m_serial),
                       static_cast<QWidget*>(m_firmwareLabel), static_cast<QWidget*>(m_firmware),
                       static_cast<QWidget*>(m_radioLabel), static_cast<QWidget*>(m_radio),
                       static_cast<QWidget*>(m_saveSettings), static_cast<QWidget*>(m_applySettings)})
        w->setVisible(show);
}

void CCConnectionPropertyPage::OnSetActive() { RefreshSerialNumber(); }

void CCConnectionPropertyPage::RefreshSerialNumber() {
    if (Program().connected) m_serial->setText(QString::fromLatin1(Program().record.info.serialNumber));
}

void CCConnectionPropertyPage::ButtonClicked() {
    if (Program().worker->Busy()) return;
    if (Program().connected) Disconnect();
    else Connect();
}

void CCConnectionPropertyPage::Connect() {
    ProgramState& p = Program();
    m_connect->setEnabled(false);
    m_ports->setEnabled(false);
    const QByteArray port = m_ports->currentText().trimmed().left(255).toLatin1();
    p.ui->SetStatusLabel(m_status);
    m_status->setText("Connecting...");
    auto result = std::make_shared<ConnectResult>(ConnectResult::NoReceiver);
    // The connect and the refresh run on the worker; the window keeps
    // repainting and shows every status text as it is set.
    p.worker->RunWithWaitCursor(
        [port, result, &p] {
            *result = ConnectAndRefresh(*p.receiver, port.constData(), p.record, p.ui, false);
        },
        [this, result, &p] {
            if (*result != ConnectResult::Connected) {
                m_ports->setEnabled(true);
                m_connect->setEnabled(true);
                m_status->setText("Not Connected.");
                if (*result == ConnectResult::RefreshFailed) {
                    m_serial->setText("N/A");
                    m_radio->setText("N/A");
                    p.connected = false;
                }
                return;
            }
            m_status->setText("Connected.");
            m_serial->setText(QString::fromLatin1(p.record.info.serialNumber));
            char firmware[300];
            FirmwareText(p.record, firmware, sizeof firmware);
            m_firmware->setText(QString::fromLatin1(firmware));
            if (const char* kind = RadioKindText(p.record.peripheral.kind)) m_radio->setText(kind);
            ShowIdentity(true);
            // The pages are added (and Receiver Settings set up) before the
            // connected flag is set, as the sheet has always done it.
            emit connected();
            p.connected = true;
            m_connect->setEnabled(true);
            m_connect->setText("Dis&connect");
            WarnIfOutOfDate(*p.receiver, p.record);
        },
        m_connect);
}

void CCConnectionPropertyPage::Disconnect() {
    ProgramState& p = Program();
    p.connected = false;
    emit disconnected();
    ShowIdentity(false);
    m_connect->setEnabled(true);
    m_ports->setEnabled(true);
    m_connect->setText("&Connect");
    m_status->setText("Not Connected.");
    p.receiver->Disconnect();  // nothing is sent to the receiver
}
