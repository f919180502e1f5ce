#pragma once
#include <QObject>

#include "Variant.h"

struct ProgramState;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The controls and behaviour of the GSM Bearer page, the same in both
// programs: the bearer list, the four GPRS fields and Submit. The form
// makes its controls as children of the page, which lays them out under its
// own labels (the access point label is the form's: its text changes) and
// calls Activate each time it becomes the active tab.
class GsmBearerForm : public QObject {
    Q_OBJECT
public:
    // The list's entries, in their (sorted) order.
    static constexpr int kNoBearerEntry = 0;
    static constexpr int kTcpGprsEntry = 1;

    // refillList: the list is emptied and filled anew at every activation
    // (the handheld page), else filled once here.
    GsmBearerForm(ProgramState& program, QWidget* page, bool refillList);
    void Activate();

    QComboBox* BearerType() const { return m_bearer; }
    QLineEdit* UserName() const { return m_userName; }
    QLineEdit* Password() const { return m_password; }
    QLabel* AccessPointLabel() const { return m_accessPointLabel; }
    QLineEdit* AccessPoint() const { return m_accessPoint; }
    QLineEdit* Timeout() const { return m_timeout; }
    QPushButton* Submit() const { return m_submit; }

private:
    void FillList();
    // Shows the record's bearer for a default connection (2: none).
    void Fill(int defaultConnection);
    void BearerChanged(int entry);
    void SubmitClicked();

    ProgramState& m_program;
    bool m_refillList;
    QComboBox* m_bearer;
    QLineEdit* m_userName;
    QLineEdit* m_password;
    QLabel* m_accessPointLabel;
    QLineEdit* m_accessPoint;
    QLineEdit* m_timeout;
    QPushButton* m_submit;
    bool m_filling = false;
};

// The controls and behaviour of the MRS page (the module's NTRIP source).
// The desktop's start-up list is a combo box with an edit part, filled
// once; the handheld's a plain drop-down list refilled at each activation.
// The refusal for an old applet carries the program's caption.
class MrsForm : public QObject {
    Q_OBJECT
public:
    MrsForm(ProgramState& program, QWidget* page, qvr::Variant variant);
    void Activate();

    QComboBox* StartUp() const { return m_startUp; }
    QLineEdit* MountPoint() const { return m_mountPoint; }
    QLineEdit* Password() const { return m_password; }
    QLineEdit* Address() const { return m_address; }
    QLineEdit* Port() const { return m_port; }
    QPushButton* Submit() const { return m_submit; }

private:
    void FillList();
    void SetControlsEnabled(bool enabled);
    // Selects "Enabled" or "Disabled" as the record's start-up flag says.
    void SelectStoredStartUp();
    void SubmitClicked();

    ProgramState& m_program;
    qvr::Variant m_variant;
    QComboBox* m_startUp;
    QLineEdit* m_mountPoint;
    QLineEdit* m_password;
    QLineEdit* m_address;
    QLineEdit* m_port;
    QPushButton* m_submit;
};
