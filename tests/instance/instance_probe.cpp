// Starts the way the editor does: applies the single-instance rule to its own
// arguments. A later start ends with 0 once the rule returns. The first
// instance prints "ready", then for each event its name on stdout and one JSON
// line in the record file, until its stdin closes.
//
// Environment: OSTREL_PROBE_LOCK the lock name; OSTREL_PROBE_RECORD the record
// file; OSTREL_PROBE_HOLD=1 keeps the first forwarded request's slot in a
// nested event loop (like a modal dialog) until a line arrives on stdin;
// OSTREL_PROBE_FDLIMIT=N limits the open descriptors of the process to N.
// OSTREL_PROBE_FLOOD=N plays a hostile peer instead: it opens N idle
// connections to the server, prints "flooding" and holds them until stdin closes.
#include "common/comma_text.h"
#include "common/single_instance.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

void Record(const QJsonObject &event)
{
    const QByteArray line = QJsonDocument(event).toJson(QJsonDocument::Compact) + '\n';
    QFile record(qEnvironmentVariable("OSTREL_PROBE_RECORD"));
    if (record.open(QIODevice::Append))
        record.write(line);
    std::puts(qPrintable(event.value("event").toString()));
    std::fflush(stdout);
}

} // namespace

int Flood(int count)
{
    const QByteArray name = QFile::encodeName(SingleInstance::ServerName(qEnvironmentVariable("OSTREL_PROBE_LOCK")));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, name.constData(), sizeof(address.sun_path) - 1);
    int held = 0;
    for (int i = 0; i < count; ++i) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0)
            ++held;
    }
    std::printf("flooding %d\n", held);
    std::fflush(stdout);
    char buffer[256];
    while (::read(STDIN_FILENO, buffer, sizeof(buffer)) > 0) {
    }
    return 0;
}

int main(int argc, char **argv)
{
    if (const int limit = qEnvironmentVariableIntValue("OSTREL_PROBE_FDLIMIT")) {
        const rlimit lower{rlim_t(limit), rlim_t(limit)};
        ::setrlimit(RLIMIT_NOFILE, &lower);
    }
    if (const int count = qEnvironmentVariableIntValue("OSTREL_PROBE_FLOOD"))
        return Flood(count);
    QCoreApplication app(argc, argv);
    SingleInstance instance(qEnvironmentVariable("OSTREL_PROBE_LOCK"));
    if (instance.ActivatePreviousInstance(app.arguments().mid(1)))
        return 0;

    const bool holdFirst = qEnvironmentVariableIntValue("OSTREL_PROBE_HOLD") == 1;
    bool held = false;
    QEventLoop *modal = nullptr;

    QObject::connect(&instance, &SingleInstance::activateRequested, [] {
        Record({{"event", "activate"}});
    });
    QObject::connect(&instance, &SingleInstance::filesForwarded, [&](const QString &commaText) {
        Record({{"event", "begin"}, {"text", commaText}});
        if (holdFirst && !held) {
            held = true;
            QEventLoop loop;
            modal = &loop;
            QTimer::singleShot(90000, &loop, &QEventLoop::quit);   // outlasts the tests' waits, never hangs a run
            loop.exec();
            modal = nullptr;
        }
        Record({{"event", "files"},
                {"text", commaText},
                {"items", QJsonArray::fromStringList(CommaTextSplit(commaText))}});
    });

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof(buffer));
        if (modal)
            modal->quit();
        if (n <= 0) {
            input.setEnabled(false);
            app.quit();
        }
    });

    std::puts("ready");
    std::fflush(stdout);
    return app.exec();
}
