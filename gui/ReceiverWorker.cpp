#include "gui/ReceiverWorker.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>

#include "gui/ProgramState.h"

ReceiverWorker::ReceiverWorker(QObject* parent) : QObject(parent), m_executor(new QObject) {
    m_thread.setObjectName("receiver");
    m_executor->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_executor, &QObject::deleteLater);
    m_thread.start();
}

ReceiverWorker::~ReceiverWorker() {
    m_thread.quit();
    m_thread.wait();
}

bool ReceiverWorker::Run(std::function<void()> job, std::function<void()> done) {
    if (m_busy) return false;
    m_busy = true;
    emit started();
    QMetaObject::invokeMethod(m_executor, [this, job = std::move(job), done = std::move(done)]() mutable {
        job();
        QMetaObject::invokeMethod(this, [this, done = std::move(done)] {
            m_busy = false;
            if (done) done();
            emit finished();
        });
    });
    return true;
}

bool ReceiverWorker::RunWithWaitCursor(std::function<void()> job, std::function<void()> done, QWidget* focusAfter) {
    if (m_busy) return false;
    QPointer<QWidget> focus = focusAfter ? focusAfter : QApplication::focusWidget();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    return Run(std::move(job), [focus, done = std::move(done)] {
        QApplication::restoreOverrideCursor();
        if (done) done();
        if (focus && focus->isEnabled() && focus->isVisible()) focus->setFocus(Qt::OtherFocusReason);
    });
}

bool ReceiverWorker::DeferWhileBusy(QObject* context, bool* pending, std::function<void()> later) {
    if (!m_busy) return false;
    if (*pending) return true;
    *pending = true;
    connect(
        this, &ReceiverWorker::finished, context,
        [pending, later = std::move(later)] {
            *pending = false;
            later();
        },
        Qt::SingleShotConnection);
    return true;
}

void ReceiverWorker::WaitIdle() {
    while (m_busy) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
}

bool ReceiverWorker::WaitIdle(int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (m_busy && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    return !m_busy;
}

bool RunPageJob(ProgramState& p, QObject* owner, bool waitCursor, std::function<void()> job,
                std::function<void()> done) {
    if (!p.worker || p.worker->Busy()) return false;
    QPointer<QObject> guard(owner);
    QPointer<QWidget> focus = QApplication::focusWidget();
    auto finish = [guard, focus, done = std::move(done)] {
        if (!guard) return;
        done();
        if (focus && focus->isEnabled() && focus->isVisible()) focus->setFocus(Qt::OtherFocusReason);
    };
    return waitCursor ? p.worker->RunWithWaitCursor(std::move(job), std::move(finish))
                      : p.worker->Run(std::move(job), std::move(finish));
}
