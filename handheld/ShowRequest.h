#pragma once
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QWidget;

// A second start of the program asks the running copy to show its window
// and then ends: on a controller nothing visible would happen otherwise.
// The channel is the system's own (a local socket; a named event on
// Windows), one file per system.

// The running copy: listens on channel and, for each request, brings its
// window (and a box or dialog open over it) to the front.
class ShowRequestListener : public QObject {
    Q_OBJECT
public:
    ShowRequestListener(const QString& channel, QWidget* window, QObject* parent = nullptr);
    ~ShowRequestListener() override;
    bool Listening() const;

signals:
    void shown();

private:
    void Show();
    struct Channel;
    std::unique_ptr<Channel> m_channel;
    QPointer<QWidget> m_window;
};

// The second start: true when the running copy took the request.
bool RequestRunningCopyToShow(const QString& channel, int timeoutMs = 2000);
