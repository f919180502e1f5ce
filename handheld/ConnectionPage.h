#pragma once
#include <atomic>
#include <memory>

#include "handheld/Pages.h"

class IProcessList;
class QComboBox;
class QLabel;
class QPushButton;
class QTimer;

// The handheld program's Connection page: the port, the connect on the
// receiver worker watched by a timer (255, once a second), the receiver's
// identity, and the guard against the companion field program TRV+, which
// must not run beside this program.
class CConnectionsPropertyPage : public CHandheldPage {
    Q_OBJECT
public:
    // The connect state the worker writes and the timer reads.
    enum ConnectState : int {
        kConnectStarted = 0,
        kNoReceiver = 1,     // connect failed
        kRefreshing = 2,     // receiver found, data refresh running
        kConnected = 3,      // refresh succeeded (also once the page has taken it over)
        kRefreshFailed = 4,
    };

    // processes: where the guard looks for TRV+ (null: the guard passes).
    explicit CConnectionsPropertyPage(ProgramState& program, IProcessList* processes = nullptr,
                                      QWidget* parent = nullptr);
    void OnSetActive() override;

    // The timer's period (1000 ms); tests shorten it.
    static void SetPollInterval(int ms);
    // True while the timer watches a connect.
    bool Polling() const;
    int State() const { return *m_state; }

    // With TRV+ running: the message, the end of the program, and false.
    bool CompanionGuard();

    QComboBox* Ports() const { return m_ports; }
    QLabel* Status() const { return m_status; }
    QLabel* SerialNumber() const { return m_serial; }
    QLabel* Firmware() const { return m_firmware; }
    QLabel* Version() const { return m_version; }
    QPushButton* ConnectButton() const { return m_connect; }

signals:
    // The connect's result was taken over (the record holds the receiver,
    // the connected flag is set), or the operator disconnected.
    void connected();
    void disconnected();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ButtonClicked();
    void Connect();
    void Disconnect();
    void Tick();

    IProcessList* m_processes;
    QComboBox* m_ports;
    QLabel* m_status;
    QLabel* m_serial;
    QLabel* m_firmware;
    QLabel* m_version;
    QPushButton* m_connect;
    QTimer* m_timer;
    bool m_initialised = false;
    // Written by the worker, read by the timer; shared so that a connect
    // that outlives the page writes into memory that still exists.
    std::shared_ptr<std::atomic<int>> m_state;
};
