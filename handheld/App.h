#pragma once
#include <QObject>

struct ProgramState;
class IProcessList;
class CHandheldPage;
class CQVRPropertySheet;
class CConnectionsPropertyPage;
class CRadioSettingsPropertyPage;
class CRecieverPropertyPage;
class CGSMBearerSettingsPropertyPage;
class CNtripSourcePropertyPage;

// The handheld application object: the five pages, created once, and the
// full-screen sheet. A connect adds the Receiver page and the radio's pages,
// a disconnect removes them. The process list is where the Connection page
// looks for the companion field program TRV+ (null: nowhere).
class CQVRConfigToolApp : public QObject {
    Q_OBJECT
public:
    explicit CQVRConfigToolApp(ProgramState& program, IProcessList* processes = nullptr);
    ~CQVRConfigToolApp() override;

    // Adds (remove = false) or removes the Receiver page and the pages of
    // the detected radio.
    void UpdatePages(bool remove);

    CQVRPropertySheet* Sheet() const { return m_sheet; }
    CConnectionsPropertyPage* ConnectionPage() const { return m_connection; }
    CRadioSettingsPropertyPage* RadioPage() const { return m_radio; }
    CRecieverPropertyPage* ReceiverPage() const { return m_receiver; }
    CGSMBearerSettingsPropertyPage* GsmBearerPage() const { return m_gsmBearer; }
    CNtripSourcePropertyPage* MrsPage() const { return m_mrs; }

private:
    ProgramState& m_program;
    CConnectionsPropertyPage* m_connection;
    CRadioSettingsPropertyPage* m_radio;
    CRecieverPropertyPage* m_receiver;
    CGSMBearerSettingsPropertyPage* m_gsmBearer;
    CNtripSourcePropertyPage* m_mrs;
    CQVRPropertySheet* m_sheet;
};
