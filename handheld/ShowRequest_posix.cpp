#include "handheld/ShowRequest.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

namespace {
constexpr char kRequest[] = "show\n";
}

struct ShowRequestListener::Channel {
    QLocalServer server;
};

ShowRequestListener::ShowRequestListener(const QString& channel, QWidget* window, QObject* parent)
    : QObject(parent), m_channel(std::make_unique<Channel>()), m_window(window) {
    QLocalServer* server = &m_channel->server;
    // Only the holder of the single-instance lock gets here: a socket left
    // by a copy that crashed is stale.
    QLocalServer::removeServer(channel);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    server->listen(channel);
    connect(server, &QLocalServer::newConnection, this, [this, server] {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains('\n')) Show();
                socket->disconnectFromServer();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

ShowRequestListener::~ShowRequestListener() = default;

bool ShowRequestListener::Listening() const { return m_channel->server.isListening(); }

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
