#pragma once
#include "handheld/Pages.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The handheld program's Radio page. One set of rows serves both radios:
// each activation relabels them from the data record, as the UHF radio's
// settings (protocol mode, ranges, current and new frequency, channel
// spacing, error correction, Submit) or as the GSM module's status (signal
// strength, network registration). Submit runs on the receiver worker.
class CRadioSettingsPropertyPage : public CHandheldPage {
    Q_OBJECT
public:
    explicit CRadioSettingsPropertyPage(ProgramState& program, QWidget* parent = nullptr);
    void OnSetActive() override;

    QLabel* InstalledRadio() const { return m_radio; }
    QLabel* Row2Label() const { return m_row2Label; }
    QLabel* Rssi() const { return m_rssi; }
    QComboBox* ProtocolMode() const { return m_mode; }
    QLabel* Row3Label() const { return m_row3Label; }
    QLabel* Range() const { return m_range; }
    QLabel* Row4Label() const { return m_row4Label; }
    QLabel* CurrentFrequency() const { return m_current; }
    QLabel* Row5Label() const { return m_row5Label; }
    QLineEdit* NewFrequency() const { return m_newFrequency; }
    QLabel* ChannelSpacing() const { return m_spacing; }
    QLabel* ErrorCorrectionLabel() const { return m_fecLabel; }
    QCheckBox* ErrorCorrection() const { return m_fec; }
    QPushButton* Submit() const { return m_submit; }

private:
    void ModeChanged();
    // The labels of rows 2, 4 and 5 and the error-correction row for a
    // protocol mode (-1: none selected).
    void ApplyModeLabels(int mode);
    void SubmitClicked();

    QWidget* m_content;
    QLabel* m_radio;
    QLabel* m_row2Label;
    QLabel* m_rssi;
    QComboBox* m_mode;
    QLabel* m_row3Label;
    QLabel* m_range;
    QLabel* m_row4Label;
    QLabel* m_current;
    QLabel* m_row5Label;
    QLineEdit* m_newFrequency;
    QLabel* m_spacingLabel;
    QLabel* m_spacing;
    QLabel* m_fecLabel;
    QCheckBox* m_fec;
    QPushButton* m_submit;
    // An activation that came while a receiver operation ran waits for its end.
    bool m_activationPending = false;
};
