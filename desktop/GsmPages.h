#pragma once
#include <QDialog>

#include "desktop/Pages.h"
#include "gui/GsmForms.h"

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
    static constexpr int kNoBearerEntry = GsmBearerForm::kNoBearerEntry;
    static constexpr int kTcpGprsEntry = GsmBearerForm::kTcpGprsEntry;

    QComboBox* BearerType() const { return m_form->BearerType(); }
    QLineEdit* UserName() const { return m_form->UserName(); }
    QLineEdit* Password() const { return m_form->Password(); }
    QLabel* AccessPointLabel() const { return m_form->AccessPointLabel(); }
    QLineEdit* AccessPoint() const { return m_form->AccessPoint(); }
    QLineEdit* Timeout() const { return m_form->Timeout(); }
    QPushButton* Submit() const { return m_form->Submit(); }

private:
    GsmBearerForm* m_form;
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

    QComboBox* StartUp() const { return m_form->StartUp(); }
    QLineEdit* MountPoint() const { return m_form->MountPoint(); }
    QLineEdit* Password() const { return m_form->Password(); }
    QLineEdit* Address() const { return m_form->Address(); }
    QLineEdit* Port() const { return m_form->Port(); }
    QPushButton* Submit() const { return m_form->Submit(); }

private:
    MrsForm* m_form;
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
