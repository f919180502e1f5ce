#pragma once
#include <QDialog>

#include "desktop/Pages.h"

// "GSM Bearer": the module's data bearer (none or TCP over GPRS).
class CGSMBearerSettingsPropertyPage : public CQVRPage {
    Q_OBJECT
public:
    explicit CGSMBearerSettingsPropertyPage(ProgramState& program, QWidget* parent = nullptr);
};

// "GSM Settings": the module's identity, signal and registration, and a
// TCP connection test.
class CGSMSettingsPropertyPage : public CQVRPage {
    Q_OBJECT
public:
    explicit CGSMSettingsPropertyPage(ProgramState& program, QWidget* parent = nullptr);
};

// "MRS": the module's NTRIP source settings.
class CDlgAutoMRS : public CQVRPage {
    Q_OBJECT
public:
    explicit CDlgAutoMRS(ProgramState& program, QWidget* parent = nullptr);
};

// "AT Test Mode" (Ctrl+A with a GSM module): sends typed AT commands to the
// module and collects the answers.
class ATModeTestDialog : public QDialog {
    Q_OBJECT
public:
    explicit ATModeTestDialog(ProgramState& program, QWidget* parent = nullptr);

private:
    ProgramState& m_program;
};
