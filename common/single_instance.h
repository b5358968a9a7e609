#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QLocalServer;
class QLockFile;

// One running editor per user. The first start takes a lock file and listens on
// a local server of the same name; a later start asks it to come to the front
// and hands over its command-line files as one comma text, then quits.
//
// Needs the application object (the executable's path and the sockets come
// from it). Keep the object alive for the life of the process: it holds the
// lock and the server. Connect the signals before entering the event loop.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // A later start waits at most this long for the running instance to handle
    // its files; it also stops waiting as soon as that instance goes away.
    static constexpr int ReplyTimeoutMs = 60000;
    // A later start that finds the lock held keeps trying this long to reach the
    // holder, which may still be on its way to listening (or about to end).
    static constexpr int ConnectRetryMs = 5000;
    // Longest comma text the running instance accepts (bytes of UTF-8), and the
    // longest path in it: anything longer is refused with a log line.
    static constexpr int MaxForwardedBytes = 1024 * 1024;
    static constexpr int MaxForwardedPathLength = 32767;
    // The running instance keeps at most this many connections waiting for
    // their request, each at most RequestTimeoutMs; a new one pushes out the oldest.
    static constexpr int MaxWaitingConnections = 8;
    static constexpr int RequestTimeoutMs = 2000;

    explicit SingleInstance(const QString &lockName = DefaultLockName(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // The executable's file name without its directory, made per user.
    static QString DefaultLockName();
    // Where the lock of that name lives (a per-user runtime folder).
    static QString LockFilePath(const QString &lockName);
    // The local server the first instance listens on.
    static QString ServerName(const QString &lockName);

    // True when another instance runs: it was asked to come to the front and,
    // when files is not empty, was handed CommaTextJoin(files) and has handled
    // it; the caller exits with 0 at once. Also true when the request was
    // refused (too long), and when the lock holder does not answer within
    // ConnectRetryMs and there are no files to lose. False when this process is
    // the first: it now holds the lock and listens for later starts; also false,
    // without lock or server, when the holder does not answer and files would
    // otherwise be lost: this start then opens them itself.
    bool ActivatePreviousInstance(const QStringList &files);

    // Whether this (first) instance accepts later starts.
    bool isListening() const;

Q_SIGNALS:
    // A later start wants the main window brought to the front.
    void activateRequested();
    // A later start forwarded its files. The later start waits until every
    // slot connected to this has returned (a slot may run modal dialogs).
    void filesForwarded(const QString &commaText);

private:
    class Connection;

    enum class Delivery { Handled, Refused, NotReached };
    Delivery forward(const QByteArray &request);
    void listen();
    void acceptConnections();
    void readRequest(Connection *connection);
    void handleRequest(Connection *connection, bool withFiles, const QString &commaText);

    QString m_lockName;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};
