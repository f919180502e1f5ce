#include "ReceiverWorker.h"

#include <QCoreApplication>
#include <QEventLoop>

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

void ReceiverWorker::WaitIdle() {
    while (m_busy) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
}
