#pragma once
#include <functional>
#include <memory>

#include <QByteArray>
#include <QStringList>
#include <QTimer>

#include "UpgradeProgress.h"
#include "desktop/Pages.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace qvr {
class GsmUpgradeEngine;
class UhfUpgradeEngine;
} // namespace qvr

// What the two upgrade pages share: the file field with "Browse...", the
// status line and progress bar, "Start" and the poll timer. Start checks the
// file, asks, locks the sheet on the page and runs the engine on the
// receiver worker; the timer then shows the progress record until the
// upgrade has ended, which ends the program. Each page has its own progress
// record with its lock.
class CUpgradePage : public CQVRPage {
    Q_OBJECT
public:
    // The poll timer's first interval and the one after each tick (2000 and
    // 200 ms; tests make them short).
    static void SetPollIntervals(int firstMs, int nextMs);

    QLineEdit* FileEdit() const { return m_file; }
    QPushButton* BrowseButton() const { return m_browse; }
    QPushButton* StartButton() const { return m_start; }
    QLabel* Status() const { return m_status; }
    QProgressBar* Progress() const { return m_progress; }
    // True from an accepted Start until the upgrade has ended.
    bool Polling() const { return m_timer.isActive(); }
    const qvr::UpgradeProgress& ProgressRecord() const { return m_record; }

protected:
    struct Texts {
        QStringList explanation;  // one label a line
        QString filter;           // the open-file dialog's filter
        QString initialName;      // and its initial file name
    };
    CUpgradePage(ProgramState& program, const QString& caption, int helpTopic, const Texts& texts,
                 QWidget* parent = nullptr);

    // The file checks: the message to show, or nullptr when the file may be used.
    virtual const char* CheckFile(const char* path) = 0;
    // True for the GSM page's wording of the question.
    virtual bool Applet() const = 0;
    // Makes the engine (on the user-interface thread) and returns the job
    // that runs it on the worker.
    virtual std::function<void()> PrepareEngine(const QByteArray& path) = 0;
    // One timer tick with the record as read under its lock; false once the
    // upgrade has ended (the timer stops).
    virtual bool Tick(const qvr::UpgradeProgressRecord& record) = 0;

    // The end of an upgrade: the status line, the result message (caption,
    // OK, no icon), then the program ends.
    void Finish(const QString& status, const QString& message, const char* caption);
    // The end without a message of the page's own (the engine showed it).
    void EndUpgrade();
    // The engine's job has returned (the worker's done, on this thread).
    bool EngineReturned() const { return m_engineReturned; }
    // The failure message with the engine's reason for an upgrade that ended early.
    static QString EarlyEndMessage(const QString& reason);

    qvr::UpgradeProgress m_record;

private:
    void BrowseClicked();
    void StartClicked();
    void TimerFired();

    Texts m_texts;
    QLineEdit* m_file;
    QPushButton* m_browse;
    QPushButton* m_start;
    QLabel* m_status;
    QProgressBar* m_progress;
    QTimer m_timer;
    bool m_engineReturned = false;
    bool m_finished = false;
};

// "UHF Upgrade": reprograms the UHF radio's firmware from an ".sfo" file.
class CUHFUpgradePropertyPage : public CUpgradePage {
    Q_OBJECT
public:
    explicit CUHFUpgradePropertyPage(ProgramState& program, QWidget* parent = nullptr);
    ~CUHFUpgradePropertyPage() override;

protected:
    const char* CheckFile(const char* path) override;
    bool Applet() const override { return false; }
    std::function<void()> PrepareEngine(const QByteArray& path) override;
    bool Tick(const qvr::UpgradeProgressRecord& record) override;

private:
    std::unique_ptr<qvr::UhfUpgradeEngine> m_engine;
};

// "GSM Upgrade": replaces the GSM module's applet with a ".jar" file.
class CGSMUpgradePage : public CUpgradePage {
    Q_OBJECT
public:
    explicit CGSMUpgradePage(ProgramState& program, QWidget* parent = nullptr);
    ~CGSMUpgradePage() override;

protected:
    const char* CheckFile(const char* path) override;
    bool Applet() const override { return true; }
    std::function<void()> PrepareEngine(const QByteArray& path) override;
    bool Tick(const qvr::UpgradeProgressRecord& record) override;

private:
    std::unique_ptr<qvr::GsmUpgradeEngine> m_engine;
};
