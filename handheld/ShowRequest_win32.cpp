#include "handheld/ShowRequest.h"

#include <QMetaObject>
#include <QWidget>
#include <thread>

#include <windows.h>

// The channel is a named event of this user's session: the second start
// sets it, a thread of the running copy waits on it and passes each request
// to the window's thread.

namespace {
std::wstring EventName(const QString& channel) {
    return L"Local\\" + channel.toStdWString();
}
}  // namespace

struct ShowRequestListener::Channel {
    HANDLE request = nullptr;
    HANDLE stop = nullptr;
    std::thread waiter;
    ~Channel() {
        if (stop) SetEvent(stop);
        if (waiter.joinable()) waiter.join();
        if (request) CloseHandle(request);
        if (stop) CloseHandle(stop);
    }
};

ShowRequestListener::ShowRequestListener(const QString& channel, QWidget* window, QObject* parent)
    : QObject(parent), m_channel(std::make_unique<Channel>()), m_window(window) {
    m_channel->request = CreateEventW(nullptr, FALSE, FALSE, EventName(channel).c_str());
    m_channel->stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!m_channel->request || !m_channel->stop) return;
    m_channel->waiter = std::thread([this, request = m_channel->request, stop = m_channel->stop] {
        const HANDLE events[2] = {request, stop};
        while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0)
            QMetaObject::invokeMethod(this, [this] { Show(); }, Qt::QueuedConnection);
    });
}

ShowRequestListener::~ShowRequestListener() = default;

bool ShowRequestListener::Listening() const { return m_channel->waiter.joinable(); }

bool RequestRunningCopyToShow(const QString& channel, int) {
    const HANDLE request = OpenEventW(EVENT_MODIFY_STATE, FALSE, EventName(channel).c_str());
    if (!request) return false;
    // The second start is the one the operator just started: it may hand
    // the foreground on to the running copy.
    AllowSetForegroundWindow(ASFW_ANY);
    const bool set = SetEvent(request) != 0;
    CloseHandle(request);
    return set;
}
