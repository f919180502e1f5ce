#pragma once
#include <QDialog>

#include "desktop/Pages.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "UHF Settings": the UHF radio's identity, ranges and current frequency;
// changes transmit power, error correction and the current frequency. The
// fields show the data record each time the page comes to the front;
// Submit works on the receiver worker and writes what it changed back into
// the record.
class CUHFPropertyPage : public CQVRPage {
    Q_OBJECT
public:
    explicit CUHFPropertyPage(ProgramState& program, QWidget* parent = nullptr);
    void OnSetActive() override;

    QLabel* ModuleName() const { return m_moduleName; }
    QLabel* FirmwareVersion() const { return m_firmware; }
    QLabel* FrequencyRanges() const { return m_ranges; }
    QLabel* CurrentFrequency() const { return m_current; }
    QLineEdit* Frequency() const { return m_frequency; }
    QComboBox* TxPower() const { return m_power; }
    QCheckBox* ErrorCorrection() const { return m_fec; }
    QPushButton* Submit() const { return m_submit; }

private:
    void SubmitClicked();

    QLabel* m_moduleName;
    QLabel* m_firmware;
    QLabel* m_ranges;
    QLabel* m_current;
    QLineEdit* m_frequency;
    QComboBox* m_power;
    QCheckBox* m_fec;
    QPushButton* m_submit;
    // An activation that came while a receiver operation ran waits for its end.
    bool m_activationPending = false;
};

// "Set Center Frequency." (Ctrl+F): moves the UHF radio's centre frequency
// through its service menu. Opened with the centre frequency as text; OK
// checks the number (the dialog stays open on a bad one), then changes it
// on the worker and closes with OK whatever the outcome. The program ends
// afterwards: the receiver stays bridged to the radio.
class CCenterFrequencyDialog : public QDialog {
    Q_OBJECT
public:
    CCenterFrequencyDialog(ProgramState& program, const QString& frequency, QWidget* parent = nullptr);
    // True once an accepted change went through.
    bool Succeeded() const { return m_succeeded; }
    QLineEdit* Edit() const { return m_edit; }
    QLabel* Status() const { return m_status; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

protected:
    void reject() override;

private:
    void OkClicked();

    ProgramState& m_program;
    QLineEdit* m_edit;
    QLabel* m_status;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    bool m_succeeded = false;
    bool m_running = false;
};
