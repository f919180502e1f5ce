#pragma once
#include "handheld/Pages.h"

class QAbstractButton;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

// The handheld program's Receiver page: prompt volume with a sample
// prompt, language, the POWERUP configuration restored at a factory reset
// and the timer LED. Every activation fills the lists anew from the
// receiver data record.
class CRecieverPropertyPage : public CHandheldPage {
    Q_OBJECT
public:
    explicit CRecieverPropertyPage(ProgramState& program, QWidget* parent = nullptr);
    void OnSetActive() override;

    QSlider* Volume() const { return m_volume; }
    // The picture button beside the track bar: plays the sample prompt.
    QAbstractButton* SampleButton() const { return m_sample; }
    QComboBox* Language() const { return m_language; }
    QComboBox* Powerup() const { return m_powerup; }
    QLabel* TimerLedLabel() const { return m_timerLabel; }
    QComboBox* TimerLed() const { return m_timer; }
    QPushButton* Submit() const { return m_submit; }

private:
    void SampleClicked();
    void SubmitClicked();
    void SetLocked(bool locked);

    QSlider* m_volume;
    QAbstractButton* m_sample;
    QComboBox* m_language;
    QComboBox* m_powerup;
    QLabel* m_timerLabel;
    QComboBox* m_timer;
    QPushButton* m_submit;
    // An activation that came while a receiver operation ran waits for its end.
    bool m_activationPending = false;
};
