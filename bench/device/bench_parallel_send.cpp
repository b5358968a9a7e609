// Sending one table to several controllers at once: ostrel-cli writes the same
// table to one kov-sim, then to three, each paced at 115200 baud. Three at once
// take about the time of one when each port has a worker of its own; the
// ratio of the two times is printed (1.0: no cost for the other two).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

QString BuildDir()
{
    return qEnvironmentVariable("OSTREL_BUILD_DIR", QStringLiteral("."));
}

// A kov-sim at 115200 baud; its device path, empty when it did not start.
struct Simulator
{
    QProcess process;
    QString port;
    Simulator()
    {
        process.start(BuildDir() + QStringLiteral("/kov-sim"), {QStringLiteral("--baud"), QStringLiteral("115200")});
        if (process.waitForStarted(5000) && process.waitForReadyRead(5000))
            port = QString::fromUtf8(process.readLine()).trimmed();
    }
    ~Simulator()
    {
        process.terminate();
        process.waitForFinished(5000);
    }
};

// Milliseconds ostrel-cli takes to send table to ports; -1 when it failed.
qint64 TimedSend(const QString &table, const std::vector<std::unique_ptr<Simulator>> &controllers,
                 const QString &folder)
{
    QStringList args{QStringLiteral("send")};
    for (const auto &controller : controllers)
        args << QStringLiteral("--port") << controller->port;
    args << QStringLiteral("--baud") << QStringLiteral("115200") << QStringLiteral("--from")
         << QStringLiteral("binary") << table;
    QProcess cli;
    cli.setWorkingDirectory(folder);
    QElapsedTimer timer;
    timer.start();
    cli.start(BuildDir() + QStringLiteral("/ostrel-cli"), args);
    if (!cli.waitForFinished(120000) || cli.exitStatus() != QProcess::NormalExit || cli.exitCode() != 0) {
        std::fprintf(stderr, "%s", cli.readAllStandardError().constData());
        return -1;
    }
    return timer.elapsed();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const QString table = folder.filePath(QStringLiteral("table.bin"));
    QFile file(table);
    if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(65536, '\x5A')) != 65536)
        return 1;
    file.close();
    std::vector<std::unique_ptr<Simulator>> one, three;
    one.push_back(std::make_unique<Simulator>());
    for (int i = 0; i < 3; ++i)
        three.push_back(std::make_unique<Simulator>());
    for (const auto *group : {&one, &three})
        for (const auto &controller : *group)
            if (controller->port.isEmpty()) {
                std::fprintf(stderr, "kov-sim did not start\n");
                return 1;
            }
    const qint64 single = TimedSend(table, one, folder.path());
    const qint64 parallel = TimedSend(table, three, folder.path());
    if (single < 0 || parallel < 0)
        return 1;
    std::printf("send to 1 controller at 115200       %6lld ms\n", static_cast<long long>(single));
    std::printf("send to 3 controllers at once        %6lld ms  (%.2f x the time of one)\n",
                static_cast<long long>(parallel), double(parallel) / double(single));
    return 0;
}
