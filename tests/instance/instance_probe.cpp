// Starts the way the editor does: applies the single-instance rule to its own
// arguments. A later start ends with 0 once the rule returns. The first
// instance prints "ready", then for each event its name on stdout and one JSON
// line in the record file, until its stdin closes.
//
// Environment: OSTREL_PROBE_LOCK the lock name; OSTREL_PROBE_RECORD the record
// file; OSTREL_PROBE_HOLD=1 keeps the first forwarded request's slot in a
// nested event loop (like a modal dialog) until a line arrives on stdin;
// OSTREL_PROBE_FDLIMIT=N limits the open descriptors of the process to N (not on
// Windows, which has no such limit).
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
#include <QLocalSocket>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <thread>
#include <vector>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#else
#include <sys/resource.h>
#endif

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

// Reads stdin until it closes.
void DrainInput()
{
    while (std::fgetc(stdin) != EOF) {
    }
}

int Flood(int count)
{
    const QString name = SingleInstance::ServerName(qEnvironmentVariable("OSTREL_PROBE_LOCK"));
    std::vector<std::unique_ptr<QLocalSocket>> held;
    for (int i = 0; i < count; ++i) {
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(name);
        if (socket->waitForConnected(5000))
            held.push_back(std::move(socket));
    }
    std::printf("flooding %d\n", int(held.size()));
    std::fflush(stdout);
    DrainInput();
    return 0;
}

int main(int argc, char **argv)
{
#ifdef Q_OS_WIN
    _setmode(_fileno(stdout), _O_BINARY);   // lines end in "\n" as on the test's side
#else
    if (const int limit = qEnvironmentVariableIntValue("OSTREL_PROBE_FDLIMIT")) {
        const rlimit lower{rlim_t(limit), rlim_t(limit)};
        ::setrlimit(RLIMIT_NOFILE, &lower);
    }
#endif
    QCoreApplication app(argc, argv);
    if (const int count = qEnvironmentVariableIntValue("OSTREL_PROBE_FLOOD"))
        return Flood(count);
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

    // Standard input is read on a thread of its own (Windows has no notifier
    // for pipes): a line ends a held slot, the end of input ends the probe.
    std::thread input([&app, &modal] {
        int c;
        while ((c = std::fgetc(stdin)) != EOF) {
            if (c == '\n')
                QMetaObject::invokeMethod(&app, [&modal] {
                    if (modal)
                        modal->quit();
                }, Qt::QueuedConnection);
        }
        QMetaObject::invokeMethod(&app, [&modal] {
            if (modal)
                modal->quit();
            QCoreApplication::quit();
        }, Qt::QueuedConnection);
    });

    std::puts("ready");
    std::fflush(stdout);
    const int status = app.exec();
    input.join();
    return status;
}
