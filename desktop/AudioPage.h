#pragma once
#include "desktop/Pages.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

// "Receiver Settings": prompt volume and sample, prompt language, the
// POWERUP configuration restored at a factory reset and the timer LED.
class CAudioPropertyPage : public CQVRPage {
    Q_OBJECT
public:
    explicit CAudioPropertyPage(ProgramState& program, QWidget* parent = nullptr);
    void OnSetActive() override;
    // At disconnect: the next connection fills the POWERUP list anew.
    void ClearPowerupFilled() { m_powerupFilled = false; }

    QSlider* Volume() const { return m_volume; }
    QComboBox* TestSample() const { return m_sample; }
    QLabel* CurrentLanguage() const { return m_currentLanguage; }
    QComboBox* Language() const { return m_language; }
    QComboBox* Powerup() const { return m_powerup; }
    QComboBox* TimerLed() const { return m_timer; }
    QLabel* TimerLedLabel() const { return m_timerLabel; }
    QPushButton* Submit() const { return m_submit; }

private:
    void SliderReleased();
    void SubmitClicked();

    QSlider* m_volume;
    QComboBox* m_sample;
    QLabel* m_currentLanguage;
    QComboBox* m_language;
    QComboBox* m_powerup;
    QComboBox* m_timer;
    QLabel* m_timerLabel;
    QPushButton* m_submit;
    // Set once the Factory POWERUP list holds the entries of the connected
    // receiver.
    bool m_powerupFilled = false;
    // An activation that came while a receiver operation ran waits for its end.
    bool m_activationPending = false;
};
