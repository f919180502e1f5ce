#pragma once
#include <atomic>
#include <memory>

#include <QDialog>

#include "Variant.h"

struct ProgramState;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

// "Debug File" (Ctrl+D in both programs): switches the receiver's debug
// recording, downloads and deletes its debug file. The handheld's labels
// and messages differ in wording only. The download runs on the receiver worker; a
// one-second timer locks and unlocks the buttons from the download state.
// Closing the dialog during a download lets the download finish in the
// background: its result message still comes, and nothing of the closed
// dialog is touched.
class CDebugFileDialog : public QDialog {
    Q_OBJECT
public:
    // Download states, as the timer reads them.
    enum DownloadState : int {
        kStarted = 0,
        kWorkerRunning = 1,
        kButtonsLocked = 2,
        kWorkerFinished = 4,
        kIdle = 5,
    };

    CDebugFileDialog(ProgramState& program, qvr::Variant variant, QWidget* parent = nullptr);

    // The timer's period (1000 ms); tests shorten it.
    static void SetPollInterval(int ms);

    QPushButton* EnableButton() const { return m_enable; }
    QPushButton* DisableButton() const { return m_disable; }
    QLabel* StatusText() const { return m_status; }
    QLineEdit* Path() const { return m_path; }
    QPushButton* BrowseButton() const { return m_browse; }
    QProgressBar* Progress() const { return m_progress; }
    QPushButton* GetFileButton() const { return m_get; }
    QPushButton* DeleteButton() const { return m_delete; }
    int State() const { return *m_state; }

private:
    void SwitchRecording(bool enable);
    void Browse();
    void GetFile();
    void DeleteFile();
    void Tick();
    void SetLocked(bool locked);

    ProgramState& m_program;
    qvr::Variant m_variant;
    QPushButton* m_enable;
    QPushButton* m_disable;
    QLabel* m_status;
    QLineEdit* m_path;
    QPushButton* m_browse;
    QProgressBar* m_progress;
    QPushButton* m_get;
    QPushButton* m_delete;
    QTimer* m_timer;
    // Written by the worker, read by the timer; shared so that a download
    // that outlives the dialog writes into memory that still exists.
    std::shared_ptr<std::atomic<int>> m_state;
};
