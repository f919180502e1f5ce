#pragma once
#include <memory>

#include <QObject>

class CQVRPropertySheet;
class CCConnectionPropertyPage;
class CAudioPropertyPage;
class CUHFUpgradePropertyPage;
class CUHFPropertyPage;
class CGSMUpgradePage;
class CGSMBearerSettingsPropertyPage;
class CGSMSettingsPropertyPage;
class CDlgAutoMRS;

// The application object: the eight pages, created once, and the sheet.
class CQVR4100MAQuickToolApp : public QObject {
    Q_OBJECT
public:
    CQVR4100MAQuickToolApp();
    ~CQVR4100MAQuickToolApp() override;

    // Adds (remove = false) or removes the Receiver Settings page and the
    // pages of the detected radio.
    void UpdatePages(bool remove);

    CQVRPropertySheet* Sheet() const { return m_sheet; }
    CCConnectionPropertyPage* ConnectionPage() const { return m_connection; }
    CAudioPropertyPage* ReceiverSettingsPage() const { return m_audio; }

    static CQVR4100MAQuickToolApp* Instance();

private:
    CCConnectionPropertyPage* m_connection;
    CAudioPropertyPage* m_audio;
    CUHFUpgradePropertyPage* m_uhfUpgrade;
    CUHFPropertyPage* m_uhf;
    CGSMUpgradePage* m_gsmUpgrade;
    CGSMBearerSettingsPropertyPage* m_gsmBearer;
    CGSMSettingsPropertyPage* m_gsmSettings;
    CDlgAutoMRS* m_mrs;
    CQVRPropertySheet* m_sheet;
    int m_pagesKind = 0;  // the peripheral kind whose pages are in the sheet
};
