#pragma once
#include <QDialog>

#include "desktop/Pages.h"

// "UHF Settings": the UHF radio's identity, ranges and current frequency;
// changes transmit power, error correction and the current frequency.
class CUHFPropertyPage : public CQVRPage {
    Q_OBJECT
public:
    explicit CUHFPropertyPage(ProgramState& program, QWidget* parent = nullptr);
};

class QLabel;
class QLineEdit;
class QPushButton;

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
