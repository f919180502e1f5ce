#include "handheld/ShowRequest.h"

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

namespace {
constexpr char kRequest[] = "show\n";
}

ShowRequestListener::ShowRequestListener(const QString& channel, QWidget* window, QObject* parent)
    : QObject(parent), m_server(new QLocalServer(this)), m_window(window) {
    // Only the holder of the single-instance lock gets here: a socket left
    // by a copy that crashed is stale.
    QLocalServer::removeServer(channel);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->listen(channel);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains('\n')) Show();
                socket->disconnectFromServer();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

bool ShowRequestListener::Listening() const { return m_server->isListening(); }

void ShowRequestListener::Show() {
    if (!m_window) return;
    if (m_window->isMinimized() || !m_window->isVisible()) m_window->showMaximized();
    m_window->raise();
    m_window->activateWindow();
    // A box open over the window stays in front of it.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != m_window) {
        modal->raise();
        modal->activateWindow();
    }
    emit shown();
}

bool RequestRunningCopyToShow(const QString& channel, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(channel);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(kRequest);
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    // The running copy closes the connection once it has read the request.
    socket.waitForDisconnected(timeoutMs);
    return true;
}
