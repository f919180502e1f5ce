#pragma once
#include <QObject>

struct ProgramState;
class CQVRPage;
class CQVRPropertySheet;
class CCConnectionPropertyPage;
class CAudioPropertyPage;
class CUHFUpgradePropertyPage;
class CUHFPropertyPage;
class CGSMUpgradePage;
class CGSMBearerSettingsPropertyPage;
class CGSMSettingsPropertyPage;
class CDlgAutoMRS;

// The application object: the eight pages, created once, and the sheet. It
// wires the pages' and the sheet's signals: a connect adds the pages of the
// receiver and its radio, a disconnect removes them, a new serial number
// shows on the Connection page.
class CQVR4100MAQuickToolApp : public QObject {
    Q_OBJECT
public:
    explicit CQVR4100MAQuickToolApp(ProgramState& program);
    ~CQVR4100MAQuickToolApp() override;

    // Adds (remove = false) or removes the Receiver Settings page and the
    // pages of the detected radio.
    void UpdatePages(bool remove);

    CQVRPropertySheet* Sheet() const { return m_sheet; }
    CCConnectionPropertyPage* ConnectionPage() const { return m_connection; }
    CAudioPropertyPage* ReceiverSettingsPage() const { return m_audio; }
    CUHFPropertyPage* UhfPage() const { return m_uhf; }
    CUHFUpgradePropertyPage* UhfUpgradePage() const { return m_uhfUpgrade; }
    CGSMBearerSettingsPropertyPage* GsmBearerPage() const { return m_gsmBearer; }
    CGSMSettingsPropertyPage* GsmSettingsPage() const { return m_gsmSettings; }
    CGSMUpgradePage* GsmUpgradePage() const { return m_gsmUpgrade; }
    CDlgAutoMRS* MrsPage() const { return m_mrs; }

private:
    ProgramState& m_program;
    CCConnectionPropertyPage* m_connection;
    CAudioPropertyPage* m_audio;
    CUHFUpgradePropertyPage* m_uhfUpgrade;
    CUHFPropertyPage* m_uhf;
    CGSMUpgradePage* m_gsmUpgrade;
    CGSMBearerSettingsPropertyPage* m_gsmBearer;
    CGSMSettingsPropertyPage* m_gsmSettings;
    CDlgAutoMRS* m_mrs;
    CQVRPropertySheet* m_sheet;
};
