#include "WindowForwarding.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <unistd.h>

namespace {

// More than any command line needs: a stranger's stream is cut off there.
constexpr qint64 kMostBytes = 1 << 20;

}  // namespace

QString WindowServerName(const QString& settingsFile) {
    // The window that would write the same settings file is the one to hand over to.
    const QString key = QString::fromLatin1(
        QCryptographicHash::hash(QFile::encodeName(settingsFile), QCryptographicHash::Sha1)
            .toHex()
            .left(16));
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(QFile::decodeName(runtime)).exists()) {
        return QFile::decodeName(runtime) + QStringLiteral("/plenmar-") + key;
    }
    return QStringLiteral("plenmar-%1-%2").arg(getuid()).arg(key);
}

bool ForwardToRunningWindow(const QString& name, const QStringList& arguments, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name, QIODevice::WriteOnly);
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    QByteArray message;
    QDataStream stream(&message, QIODevice::WriteOnly);
    stream << arguments;
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMs)) {
        return false;
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        socket.waitForDisconnected(timeoutMs);
    }
    return true;
}

CommandLineReceiver::CommandLineReceiver(QObject* parent)
    : QObject(parent), m_server(new QLocalServer(this)) {
    // Only this user may hand the window anything.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &CommandLineReceiver::OnConnection);
}

bool CommandLineReceiver::Listen(const QString& name) {
    if (m_server->listen(name)) {
        return true;
    }
    // Nobody answered there a moment ago: what is left is the socket of a window that ended
    // without removing it.
    QLocalServer::removeServer(name);
    return m_server->listen(name);
}

void CommandLineReceiver::OnConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        socket->setParent(this);
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, socket, [socket, buffer] {
            *buffer += socket->readAll();
            if (buffer->size() > kMostBytes) {
                buffer->clear();
                socket->abort();
            }
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket, buffer] {
            *buffer += socket->readAll();
            socket->deleteLater();
            QDataStream stream(*buffer);
            QStringList arguments;
            stream >> arguments;
            if (stream.status() == QDataStream::Ok) {
                emit Received(arguments);
            }
        });
    }
}
