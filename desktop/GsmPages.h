#pragma once
#include <QDialog>

#include "desktop/Pages.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// "GSM Bearer": the module's data bearer (none or TCP over GPRS).
class CGSMBearerSettingsPropertyPage : public CQVRPage {
    Q_OBJECT
public:
    explicit CGSMBearerSettingsPropertyPage(ProgramState& program, QWidget* parent = nullptr);
    void OnSetActive() override;

    // The list's entries, in their order.
    static constexpr int kNoBearerEntry = 0;
    static constexpr int kTcpGprsEntry = 1;

    QComboBox* BearerType() const { return m_bearer; }
    QLineEdit* UserName() const { return m_userName; }
    QLineEdit* Password() const { return m_password; }
    QLabel* AccessPointLabel() const { return m_accessPointLabel; }
    QLineEdit* AccessPoint() const { return m_accessPoint; }
    QLineEdit* Timeout() const { return m_timeout; }
    QPushButton* Submit() const { return m_submit; }

private:
    // Shows the record's bearer for a default connection (2: none).
    void Fill(int defaultConnection);
    void BearerChanged(int entry);
    void SubmitClicked();

    QComboBox* m_bearer;
    QLineEdit* m_userName;
    QLineEdit* m_password;
    QLabel* m_accessPointLabel;
    QLineEdit* m_accessPoint;
    QLineEdit* m_timeout;
    QPushButton* m_submit;
    bool m_filling = false;
};

// "GSM Settings": the module's identity, signal and registration, and a
// TCP connection test.
class CGSMSettingsPropertyPage : public CQVRPage {
    Q_OBJECT
public:
    explicit CGSMSettingsPropertyPage(ProgramState& program, QWidget* parent = nullptr);
    void OnSetActive() override;

    QLabel* ModuleType() const { return m_moduleType; }
    QLabel* HardwareVersion() const { return m_hardware; }
    QLabel* FirmwareVersion() const { return m_firmware; }
    QLabel* AppletVersion() const { return m_applet; }
    QLabel* Rssi() const { return m_rssi; }
    QLabel* TotalMemory() const { return m_totalMemory; }
    QLabel* NetworkStatus() const { return m_network; }
    QGroupBox* TestGroup() const { return m_testGroup; }
    QLineEdit* WebSite() const { return m_webSite; }
    QPushButton* ConnectButton() const { return m_connect; }
    QPlainTextEdit* Output() const { return m_output; }

private:
    void ConnectClicked();

    QLabel* m_moduleType;
    QLabel* m_hardware;
    QLabel* m_firmware;
    QLabel* m_applet;
    QLabel* m_rssi;
    QLabel* m_totalMemory;
    QLabel* m_network;
    QGroupBox* m_testGroup;
    QLineEdit* m_webSite;
    QPushButton* m_connect;
    QPlainTextEdit* m_output;
};

// "MRS": the module's NTRIP source settings.
class CDlgAutoMRS : public CQVRPage {
    Q_OBJECT
public:
    explicit CDlgAutoMRS(ProgramState& program, QWidget* parent = nullptr);
    void OnSetActive() override;

    QComboBox* StartUp() const { return m_startUp; }
    QLineEdit* MountPoint() const { return m_mountPoint; }
    QLineEdit* Password() const { return m_password; }
    QLineEdit* Address() const { return m_address; }
    QLineEdit* Port() const { return m_port; }
    QPushButton* Submit() const { return m_submit; }

private:
    void SetControlsEnabled(bool enabled);
    // Selects "Enabled" or "Disabled" as the record's start-up flag says.
    void SelectStoredStartUp();
    void SubmitClicked();

    QComboBox* m_startUp;
    QLineEdit* m_mountPoint;
    QLineEdit* m_password;
    QLineEdit* m_address;
    QLineEdit* m_port;
    QPushButton* m_submit;
};

// "AT Test Mode" (Ctrl+A with a GSM module): sends typed AT commands to the
// module and collects the answers. It does not close while a command is
// with the module.
class ATModeTestDialog : public QDialog {
    Q_OBJECT
public:
    explicit ATModeTestDialog(ProgramState& program, QWidget* parent = nullptr);

    QLineEdit* Command() const { return m_command; }
    QPushButton* SubmitButton() const { return m_submit; }
    QPlainTextEdit* Result() const { return m_result; }
    QPushButton* ExitButton() const { return m_exit; }
    bool Running() const { return m_running; }

    // Exit and the title bar's close button end the dialog, but not while
    // a command is with the module.
    void done(int result) override;

private:
    void SubmitClicked();
    // Adds to the result field and scrolls it to its end.
    void Append(const QString& text);

    ProgramState& m_program;
    QLineEdit* m_command;
    QPushButton* m_submit;
    QPlainTextEdit* m_result;
    QPushButton* m_exit;
    bool m_running = false;
};
