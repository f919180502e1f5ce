#pragma once
#include "handheld/Pages.h"

class MrsForm;
class QComboBox;
class QLineEdit;
class QPushButton;

// The handheld program's MRS page: the module's NTRIP source settings, as
// on the desktop but with a plain drop-down list refilled at every
// activation, no Help button and the handheld caption on its messages.
class CNtripSourcePropertyPage : public CHandheldPage {
    Q_OBJECT
public:
    explicit CNtripSourcePropertyPage(ProgramState& program, QWidget* parent = nullptr);
    void OnSetActive() override;

    QComboBox* StartUp() const;
    QLineEdit* MountPoint() const;
    QLineEdit* Password() const;
    QLineEdit* Address() const;
    QLineEdit* Port() const;
    QPushButton* Submit() const;

private:
    MrsForm* m_form;
};
