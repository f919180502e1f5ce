#pragma once
#include <functional>

#include <QObject>
#include <QThread>

class QWidget;
struct ProgramState;

// Runs receiver operations one at a time on a thread of their own, so the
// window keeps repainting while the receiver object waits for the receiver.
// The receiver object is only ever used by the job that runs.
class ReceiverWorker : public QObject {
    Q_OBJECT
public:
    explicit ReceiverWorker(QObject* parent = nullptr);
    ~ReceiverWorker() override;

    // Runs job on the worker, then done on the user-interface thread. A job
    // started while another runs is refused (false).
    bool Run(std::function<void()> job, std::function<void()> done = {});
    // The same with the wait cursor until done has run; the keyboard focus
    // then goes back to `focus` (by default the control that has it when
    // the job starts): the button the operator pressed, not whatever took
    // the focus while that button was disabled.
    bool RunWithWaitCursor(std::function<void()> job, std::function<void()> done = {}, QWidget* focus = nullptr);
    bool Busy() const { return m_busy; }
    // While a job runs: `later` runs on context's thread once it has ended,
    // once however often this is asked before then (*pending notes that it
    // is due), and true is returned. False when no job runs.
    bool DeferWhileBusy(QObject* context, bool* pending, std::function<void()> later);
    // Waits (processing events) until the running job has finished.
    void WaitIdle();
    // The same for at most timeoutMs; true when the worker is idle.
    bool WaitIdle(int timeoutMs);

signals:
    void started();
    void finished();

private:
    QThread m_thread;
    QObject* m_executor;
    bool m_busy = false;
};

// Runs a page's receiver job on the program's worker and then `done` on the
// user-interface thread, unless `owner` has gone by then. The keyboard
// focus goes back to the control the operator used (a button disabled
// while the job ran). False when there is no worker or it is busy.
bool RunPageJob(ProgramState& p, QObject* owner, bool waitCursor, std::function<void()> job,
                std::function<void()> done);
