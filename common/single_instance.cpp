#include "common/single_instance.h"

#include "common/comma_text.h"
#include "common/messages.h"
#include "common/zered_log.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#ifdef Q_OS_WIN
#include <QCryptographicHash>
#include <qt_windows.h>
#else
#include <unistd.h>
#endif

// Wire format between a later start (client) and the first instance (server),
// one request per connection:
//   request: "OSTR", kind (1 byte), payload length (4 bytes, big-endian), payload
//            kind 1: come to the front, no payload;
//            kind 2: come to the front, then take the payload, a UTF-8 comma text
//   reply:   one byte 0x06 once every slot has returned, or 0x15 when the
//            request is too long to be taken; then the client closes.
// Anything else is refused by closing the connection; so is a connection
// pushed out by newer ones or that takes too long to send its request, and
// the later start then tries again.
namespace {

constexpr char Magic[] = {'O', 'S', 'T', 'R'};
constexpr qsizetype MagicSize = sizeof(Magic);
constexpr qsizetype HeaderSize = MagicSize + 1 + 4;
constexpr char KindActivate = 1;
constexpr char KindFiles = 2;
constexpr char Ack = 0x06;
constexpr char Nak = 0x15;
constexpr int RetryPauseMs = 50;

QString RuntimeDir()
{
    static const QString dir = [] {
        const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        return runtime.isEmpty() ? QDir::tempPath() : runtime;
    }();
    return dir;
}

QByteArray EncodeRequest(const QStringList &files)
{
    const QByteArray payload = files.isEmpty() ? QByteArray() : CommaTextJoin(files).toUtf8();
    QByteArray request(Magic, MagicSize);
    request.append(files.isEmpty() ? KindActivate : KindFiles);
    char length[4];
    qToBigEndian(quint32(payload.size()), length);
    request.append(length, sizeof(length));
    request.append(payload);
    return request;
}

} // namespace

// One accepted connection. It outlives its socket's disconnection while the
// request's slots run, since they may spin nested event loops in which the
// peer goes away.
class SingleInstance::Connection : public QObject
{
public:
    Connection(QLocalSocket *socket, QObject *parent) : QObject(parent), socket(socket)
    {
        socket->setParent(this);
        // A peer that sends nothing, or dribbles, gives up its place; so does
        // one that does not close once it has its reply.
        deadline.setSingleShot(true);
        deadline.callOnTimeout(this, &Connection::refuse);
        deadline.start(RequestTimeoutMs);
    }

    void refuse()
    {
        requestRead = true;   // nothing more is read from it
        deadline.stop();
        socket->abort();
        deleteLater();
    }

    // The peer closes once it has read the reply. Closing first here could throw
    // the reply away (a Windows pipe drops what its client has not read yet),
    // and the later start would then send its request again.
    void reply(char byte)
    {
        socket->write(&byte, 1);
        socket->flush();
        requestRead = true;
        deadline.start(RequestTimeoutMs);
    }

    bool waiting() const { return !requestRead; }

    QLocalSocket *socket;
    QByteArray received;
    bool requestRead = false;
    bool handling = false;
    bool peerGone = false;
    QTimer deadline;
};

SingleInstance::SingleInstance(const QString &lockName, QObject *parent)
    : QObject(parent), m_lockName(lockName)
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultLockName()
{
    const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
#ifdef Q_OS_WIN
    const QByteArray user = QCryptographicHash::hash(QDir::homePath().toUtf8(), QCryptographicHash::Sha1);
    return exe + u'-' + QString::fromLatin1(user.toHex().left(16));
#else
    return exe + u'-' + QString::number(::getuid());
#endif
}

QString SingleInstance::LockFilePath(const QString &lockName)
{
    return RuntimeDir() + u'/' + lockName + QStringLiteral(".lock");
}

QString SingleInstance::ServerName(const QString &lockName)
{
#ifdef Q_OS_WIN
    return lockName;   // a pipe name, already private to the session's user
#else
    // Inside the per-user runtime folder, so no other user can take the name.
    return RuntimeDir() + u'/' + lockName + QStringLiteral(".socket");
#endif
}

bool SingleInstance::ActivatePreviousInstance(const QStringList &files)
{
    const QByteArray request = EncodeRequest(files);
    m_lock = std::make_unique<QLockFile>(LockFilePath(m_lockName));
    // The first instance holds the lock for hours; only a holder that is no
    // longer running makes it stale (the default would also go by age).
    m_lock->setStaleLockTime(0);
    // The holder may not listen yet, or may be ending: try both ways until one works.
    const QDeadlineTimer retry(ConnectRetryMs);
    for (;;) {
        if (m_lock->tryLock(0)) {
            listen();
            return false;
        }
        if (m_lock->error() != QLockFile::LockFailedError) {
            // Refusing to start would lock the user out of the editor.
            qWarning("%s", qUtf8Printable(QString::fromUtf8(Msg::InstanceLockFailed).arg(LockFilePath(m_lockName))));
            m_lock.reset();
            listen();
            return false;
        }
        switch (forward(request)) {
        case Delivery::Handled:
            m_lock.reset();
            return true;
        case Delivery::Refused:
            qWarning("%s", qUtf8Printable(QString::fromUtf8(Msg::InstanceRequestRefused)
                                              .arg(MaxForwardedBytes)
                                              .arg(MaxForwardedPathLength)));
            m_lock.reset();
            return true;
        case Delivery::NotReached:
            break;
        }
        if (retry.hasExpired()) {
            m_lock.reset();
            if (files.isEmpty())
                return true;   // nothing to lose; the holder keeps its place
            qWarning("%s", qUtf8Printable(QString::fromUtf8(Msg::InstanceNoAnswer).arg(ConnectRetryMs)));
            return false;
        }
        QThread::msleep(RetryPauseMs);
    }
}

SingleInstance::Delivery SingleInstance::forward(const QByteArray &request)
{
    QLocalSocket socket;
    socket.connectToServer(ServerName(m_lockName));
    if (!socket.waitForConnected(ConnectRetryMs))
        return Delivery::NotReached;
#ifdef Q_OS_WIN
    // Lets the first instance take the foreground, which Windows refuses to
    // a background process unless the foreground one allows it.
    AllowSetForegroundWindow(ASFW_ANY);
#endif
    // Once the request is in, the slots may run for a while (a modal dialog).
    QDeadlineTimer deadline(ReplyTimeoutMs);
    socket.write(request);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(deadline.remainingTime()))
            return Delivery::NotReached;
    }
    // Returns on the reply, on the first instance closing or dying, or at the deadline.
    while (socket.bytesAvailable() == 0 && socket.state() == QLocalSocket::ConnectedState) {
        if (!socket.waitForReadyRead(deadline.remainingTime()))
            break;
    }
    char reply = 0;
    if (!socket.getChar(&reply))
        return deadline.hasExpired() ? Delivery::Handled : Delivery::NotReached;   // slow but alive: it has the files
    return reply == Nak ? Delivery::Refused : Delivery::Handled;
}

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

void SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    const QString name = ServerName(m_lockName);
    if (m_server->listen(name))
        return;
    // We hold the lock, so the name is left over from an instance that died.
    QLocalServer::removeServer(name);
    if (!m_server->listen(name)) {
        qWarning("%s", qUtf8Printable(QString::fromUtf8(Msg::InstanceListenFailed)
                                          .arg(name, m_server->errorString())));
    }
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        // Idle peers must not use up the descriptors: the oldest waiting one makes room.
        QList<Connection *> waiting;
        // Connection has no meta-object of its own, so findChildren would take the
        // server for one too.
        for (QObject *child : children())
            if (auto *c = dynamic_cast<Connection *>(child); c && c->waiting())
                waiting.append(c);
        if (waiting.size() >= MaxWaitingConnections)
            waiting.first()->refuse();
        auto *connection = new Connection(socket, this);
        connect(socket, &QLocalSocket::readyRead, connection, [this, connection] { readRequest(connection); });
        connect(socket, &QLocalSocket::disconnected, connection, [connection] {
            if (connection->handling)
                connection->peerGone = true;
            else
                connection->deleteLater();
        });
        if (socket->bytesAvailable() > 0)
            readRequest(connection);
    }
}

void SingleInstance::readRequest(Connection *connection)
{
    QLocalSocket *socket = connection->socket;
    if (connection->requestRead) {
        socket->readAll();   // the one request is in; anything after it is ignored
        return;
    }
    QByteArray &received = connection->received;
    received.append(socket->read(HeaderSize + MaxForwardedBytes + 1 - received.size()));

    if (!QByteArrayView(Magic, MagicSize).startsWith(received.left(MagicSize))) {
        connection->refuse();
        return;
    }
    if (received.size() < HeaderSize)
        return;
    const char kind = received.at(MagicSize);
    const quint32 length = qFromBigEndian<quint32>(received.constData() + MagicSize + 1);
    if (kind == KindFiles && length > quint32(MaxForwardedBytes)) {
        zered::LogPrint(zered::clMagenta, Msg::ForwardedTooLong, int(std::min<quint32>(length, INT_MAX)),
                        MaxForwardedBytes);
        connection->reply(Nak);
        return;
    }
    const bool valid = (kind == KindActivate && length == 0) || kind == KindFiles;
    if (!valid || received.size() > HeaderSize + qsizetype(length)) {
        connection->refuse();
        return;
    }
    if (received.size() < HeaderSize + qsizetype(length))
        return;

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString commaText = utf8(QByteArrayView(received).sliced(HeaderSize));
    if (utf8.hasError()) {
        connection->refuse();
        return;
    }
    for (const QString &path : CommaTextSplit(commaText)) {
        if (path.size() > MaxForwardedPathLength) {
            zered::LogPrint(zered::clMagenta, Msg::ForwardedPathTooLong, int(path.size()), MaxForwardedPathLength);
            connection->reply(Nak);
            return;
        }
    }
    connection->requestRead = true;
    connection->deadline.stop();
    received = QByteArray();
    handleRequest(connection, kind == KindFiles, commaText);
}

void SingleInstance::handleRequest(Connection *connection, bool withFiles, const QString &commaText)
{
    // Releases the waiting start however the slots end, a thrown error included.
    struct ReplyGuard
    {
        Connection *connection;
        ~ReplyGuard()
        {
            connection->handling = false;
            if (connection->peerGone) {
                connection->deleteLater();
                return;
            }
            connection->reply(Ack);
        }
    } guard{connection};

    connection->handling = true;
    Q_EMIT activateRequested();
    if (withFiles)
        Q_EMIT filesForwarded(commaText);
}
