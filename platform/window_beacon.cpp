#include "platform/window_beacon.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace platform {
namespace {

constexpr char kRaiseRequest[] = "raise\n";

} // namespace

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

bool WindowBeacon::AskToRaise(const QString& title, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(ServerName(title));
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kRaiseRequest);
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return sent;
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
    // A probe connects and leaves; a second start asks "raise" first.
    QLocalServer* s = server.get();
    QObject::connect(s, &QLocalServer::newConnection, s, [this, s] {
        while (QLocalSocket* c = s->nextPendingConnection()) {
            QObject::connect(c, &QLocalSocket::disconnected, c, &QObject::deleteLater);
            QObject::connect(c, &QLocalSocket::readyRead, c, [this, c] {
                if (!c->canReadLine())
                    return;
                const QByteArray request = c->readLine();
                c->disconnectFromServer();
                if (request == kRaiseRequest && m_onRaise)
                    m_onRaise();
            });
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
