#pragma once
#include <QObject>
#include <QPointer>
#include <QString>

class QLocalServer;
class QWidget;

// A second start of the program asks the running copy to show its window
// and then ends: on a controller nothing visible would happen otherwise.

// The running copy: listens on channel and, for each request, brings its
// window (and a box or dialog open over it) to the front.
class ShowRequestListener : public QObject {
    Q_OBJECT
public:
    ShowRequestListener(const QString& channel, QWidget* window, QObject* parent = nullptr);
    bool Listening() const;

signals:
    void shown();

private:
    void Show();
    QLocalServer* m_server;
    QPointer<QWidget> m_window;
};

// The second start: true when the running copy took the request.
bool RequestRunningCopyToShow(const QString& channel, int timeoutMs = 2000);
