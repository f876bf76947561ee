#include "WindowForwarding.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include "platform/files/PrivateFolder.h"
#include "platform/processes/PeerUser.h"

namespace {

// More than any command line needs: a stream that says it is longer is cut off.
constexpr qint64 kMostBytes = 1 << 20;
// Every message begins with these, so that nothing else is taken for one.
constexpr quint32 kMagic = 0x504c4e4d;
constexpr auto kStreamVersion = QDataStream::Qt_6_4;

enum class Kind : quint16 { CommandLine = 1, AskValues = 2 };

// More than any command line holds; a request claiming more is no request of ours.
constexpr quint32 kMostArguments = 4096;

QByteArray Request(Kind kind, const QStringList& arguments) {
    QByteArray message;
    QDataStream stream(&message, QIODevice::WriteOnly);
    stream.setVersion(kStreamVersion);
    stream << kMagic << quint16(kind) << quint32(arguments.size());
    for (const QString& argument : arguments) {
        stream << argument;
    }
    return message;
}

// The arguments of a request, read with a bounded count: a list's own reading would first
// make room for as many entries as the stream claims.
bool ReadArguments(QDataStream& stream, QStringList& arguments) {
    quint32 count = 0;
    stream >> count;
    if (stream.status() != QDataStream::Ok || count > kMostArguments) {
        return false;
    }
    for (quint32 i = 0; i < count && stream.status() == QDataStream::Ok; ++i) {
        QString argument;
        stream >> argument;
        arguments << argument;
    }
    return stream.status() == QDataStream::Ok;
}

// Sends a request and waits for the window's answer; nothing when no window of this user
// answers in time.
std::optional<QByteArray> Exchange(const QString& name, const QByteArray& request, int timeoutMs) {
    if (name.isEmpty()) {
        return std::nullopt;
    }
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(int(deadline.remainingTime())) ||
        !PeerIsThisUser(socket.socketDescriptor())) {
        return std::nullopt;
    }
    socket.write(request);
    QByteArray answer;
    while (socket.state() == QLocalSocket::ConnectedState && !deadline.hasExpired() &&
           answer.size() <= kMostBytes) {
        if (socket.bytesToWrite() > 0) {
            socket.waitForBytesWritten(int(deadline.remainingTime()));
            continue;
        }
        if (socket.waitForReadyRead(int(deadline.remainingTime()))) {
            answer += socket.readAll();
        }
    }
    answer += socket.readAll();
    if (answer.isEmpty()) {
        return std::nullopt;
    }
    return answer;
}

// The answer's body after its magic and kind, when it is one for `kind`.
bool OpenAnswer(QDataStream& stream, Kind kind) {
    stream.setVersion(kStreamVersion);
    quint32 magic = 0;
    quint16 answered = 0;
    stream >> magic >> answered;
    return stream.status() == QDataStream::Ok && magic == kMagic && answered == quint16(kind);
}

}  // namespace

QString WindowServerName(const QString& settingsFile) {
    // The window that would write the same settings file is the one to hand over to.
    const QString key = QString::fromLatin1(
        QCryptographicHash::hash(QFile::encodeName(settingsFile), QCryptographicHash::Sha1)
            .toHex()
            .left(16));
    // Never a shared folder such as /tmp: whoever listens there first would be handed every
    // start's pictures and folders.
    const QString folder = PrivateFolder();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/window-") + key;
}

bool ForwardToRunningWindow(const QString& name, const QStringList& arguments, int timeoutMs) {
    const std::optional<QByteArray> answer =
        Exchange(name, Request(Kind::CommandLine, arguments), timeoutMs);
    if (!answer) {
        return false;
    }
    QDataStream stream(*answer);
    bool taken = false;
    return OpenAnswer(stream, Kind::CommandLine) && (stream >> taken, taken) &&
           stream.status() == QDataStream::Ok;
}

std::optional<ShownValues> AskRunningWindow(const QString& name, int timeoutMs) {
    const std::optional<QByteArray> answer =
        Exchange(name, Request(Kind::AskValues, {}), timeoutMs);
    if (!answer) {
        return std::nullopt;
    }
    QDataStream stream(*answer);
    ShownValues values;
    if (!OpenAnswer(stream, Kind::AskValues)) {
        return std::nullopt;
    }
    stream >> values.params.TargetSize >> values.params.Quality >> values.params.Resolution >>
        values.params.MaxKb >> values.mailSubject >> values.mailText;
    if (stream.status() != QDataStream::Ok) {
        return std::nullopt;
    }
    return values;
}

QStringList AbsoluteCommandLine(const QStringList& arguments) {
    const auto absolute = [](const QString& path) {
        return path.isEmpty() ? path : QDir::cleanPath(QDir::current().absoluteFilePath(path));
    };
    for (const QString& folderSwitch : {QStringLiteral("/V"), QStringLiteral("/v")}) {
        const qsizetype at = arguments.indexOf(folderSwitch);
        if (at >= 0) {
            return arguments.mid(0, at + 1)
                   << absolute(arguments.mid(at + 1).join(QLatin1Char(' ')).trimmed());
        }
    }
    if (arguments.isEmpty()) {
        return arguments;
    }
    return {absolute(arguments.join(QLatin1Char(' ')))};
}

CommandLineReceiver::CommandLineReceiver(QObject* parent)
    : QObject(parent), m_server(new QLocalServer(this)) {
    // No socket options: with them Qt renames its socket over whatever had the name, and a
    // second window would silently take the first one's. The folder is the user's alone.
    connect(m_server, &QLocalServer::newConnection, this, &CommandLineReceiver::OnConnection);
}

bool CommandLineReceiver::Listen(const QString& name) {
    if (name.isEmpty()) {
        return false;
    }
    if (m_server->listen(name)) {
        return true;
    }
    if (m_server->serverError() != QAbstractSocket::AddressInUseError) {
        return false;
    }
    // Left by a window that ended without removing it, or a window's that runs: only a
    // socket nobody answers on may go.
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(1000)) {
        return false;
    }
    QLocalServer::removeServer(name);
    return m_server->listen(name);
}

void CommandLineReceiver::OnConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!PeerIsThisUser(socket->socketDescriptor())) {
            socket->abort();
            continue;
        }
        // A start that connects and then says nothing must not keep its connection for ever.
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, socket, &QLocalSocket::abort);
        idle->start(m_idleMs);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Serve(socket); });
        Serve(socket);
    }
}

void CommandLineReceiver::Serve(QLocalSocket* socket) {
    if (socket->bytesAvailable() > kMostBytes) {
        socket->abort();
        return;
    }
    QDataStream stream(socket);
    stream.setVersion(kStreamVersion);
    stream.startTransaction();
    quint32 magic = 0;
    quint16 kind = 0;
    stream >> magic >> kind;
    if (stream.status() == QDataStream::Ok && magic != kMagic) {
        socket->abort();  // not a request of ours
        return;
    }
    QStringList arguments;
    const bool sound = stream.status() == QDataStream::Ok && ReadArguments(stream, arguments);
    if (stream.status() == QDataStream::ReadPastEnd) {
        stream.rollbackTransaction();  // the rest is still on its way
        return;
    }
    if (!sound) {
        stream.abortTransaction();
        socket->abort();
        return;
    }
    stream.commitTransaction();
    QByteArray answer;
    QDataStream reply(&answer, QIODevice::WriteOnly);
    reply.setVersion(kStreamVersion);
    reply << kMagic << kind;
    if (kind == quint16(Kind::CommandLine)) {
        reply << true;
        // Confirmed before it is acted on: a dialog it opens must not keep the start waiting,
        // which would take the silence for no window and open one of its own.
        QMetaObject::invokeMethod(
            this, [this, arguments] { emit Received(arguments); }, Qt::QueuedConnection);
    } else if (kind == quint16(Kind::AskValues) && m_values) {
        const ShownValues values = m_values();
        reply << values.params.TargetSize << values.params.Quality << values.params.Resolution
              << values.params.MaxKb << values.mailSubject << values.mailText;
    } else {
        socket->abort();
        return;
    }
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    socket->write(answer);
    socket->disconnectFromServer();
}
