#include "platform/window_beacon.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace platform {

WindowBeacon::WindowBeacon() = default;

WindowBeacon::~WindowBeacon()
{
    Lower();
}

QString WindowBeacon::ServerName(const QString& title)
{
    const QByteArray digest =
        QCryptographicHash::hash(title.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QString("pelmar-window-%1-%2").arg(uint(getuid())).arg(QString::fromLatin1(digest));
}

bool WindowBeacon::Exists(const QString& title, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(ServerName(title));
    const bool up = socket.waitForConnected(timeoutMs);
    socket.abort();
    return up;
}

bool WindowBeacon::Raise(const QString& title)
{
    Lower();
    const QString name = ServerName(title);
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(name)) {
        if (server->serverError() != QAbstractSocket::AddressInUseError || Exists(title))
            return false;
        QLocalServer::removeServer(name);
        if (!server->listen(name))
            return false;
    }
    // Callers only probe; each connection is dropped as soon as it arrives.
    QLocalServer* s = server.get();
    QObject::connect(s, &QLocalServer::newConnection, s, [s] {
        while (QLocalSocket* c = s->nextPendingConnection()) {
            c->abort();
            c->deleteLater();
        }
    });
    m_server = std::move(server);
    return true;
}

void WindowBeacon::Lower()
{
    if (m_server) {
        m_server->close();
        m_server.reset();
    }
}

bool WindowBeacon::IsRaised() const
{
    return m_server && m_server->isListening();
}

} // namespace platform
