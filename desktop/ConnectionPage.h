#pragma once
#include "desktop/Pages.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

// "Connection": picks the PC port, connects and reads the receiver, shows
// its identity and switches the sheet between its two page sets.
class CCConnectionPropertyPage : public CQVRPage {
    Q_OBJECT
public:
    explicit CCConnectionPropertyPage(ProgramState& program, QWidget* parent = nullptr);
    void OnSetActive() override;
    // Shows the record's serial number while connected.
    void RefreshSerialNumber();

    // Fills the port list (the simulated receiver's port first, if any).
    void FillPorts();

    QComboBox* Ports() const { return m_ports; }
    QCheckBox* RememberRate() const { return m_rememberRate; }
    QLabel* Status() const { return m_status; }
    QLabel* SerialNumber() const { return m_serial; }
    QLabel* Firmware() const { return m_firmware; }
    QLabel* Radio() const { return m_radio; }
    QPushButton* ConnectButton() const { return m_connect; }
    QPushButton* SaveSettingsButton() const { return m_saveSettings; }
    QPushButton* ApplySettingsButton() const { return m_applySettings; }

signals:
    // A receiver was found and read (the record holds it; the connected
    // flag is set right after), or the operator disconnected.
    void connected();
    void disconnected();

private:
    void ButtonClicked();
    void Connect();
    void Disconnect();
    void ShowIdentity(bool show);

    QComboBox* m_ports;
    QCheckBox* m_rememberRate;
    QLabel* m_status;
    QLabel* m_serialLabel;
    QLabel* m_serial;
    QLabel* m_firmwareLabel;
    QLabel* m_firmware;
    QLabel* m_radioLabel;
    QLabel* m_radio;
    QPushButton* m_connect;
    // Our own addition to the page: profiles (ProfileButtons.h).
    QPushButton* m_saveSettings;
    QPushButton* m_applySettings;
};
