#pragma once
#include "handheld/Pages.h"

class GsmBearerForm;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The handheld program's GSM Bearer page: the module's data bearer (none
// or TCP over GPRS), as on the desktop but with the list refilled at every
// activation and no Help button.
class CGSMBearerSettingsPropertyPage : public CHandheldPage {
    Q_OBJECT
public:
    explicit CGSMBearerSettingsPropertyPage(ProgramState& program, QWidget* parent = nullptr);
    void OnSetActive() override;

    QComboBox* BearerType() const;
    QLineEdit* UserName() const;
    QLineEdit* Password() const;
    QLabel* AccessPointLabel() const;
    QLineEdit* AccessPoint() const;
    QLineEdit* Timeout() const;
    QPushButton* Submit() const;

private:
    GsmBearerForm* m_form;
};
