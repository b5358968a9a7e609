#pragma once

// Helpers the tests and benchmarks share: files, byte patterns, the simulator
// in its own process, the process's memory.

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

// The build folder: CTest names it; run by hand, a test sits in its tests/ folder.
inline QString BuildDir()
{
    return qEnvironmentVariable("OSTREL_BUILD_DIR", QCoreApplication::applicationDirPath() + "/..");
}

// A file's bytes; "<missing>" when it cannot be read, which no expected content matches.
inline QByteArray FileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// size bytes that differ from block to block of 256 (and from seed to seed).
inline QByteArray pattern(int size, int seed = 0)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 13 + i / 256 + seed);
    return bytes;
}

inline QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// build/kov-sim in its own process, on the pseudo-terminal it prints first.
struct Simulator
{
    QProcess process;
    QString port;

    explicit Simulator(const QStringList &arguments)
    {
        process.start(BuildDir() + "/kov-sim", arguments);
        if (process.waitForReadyRead(10000))
            port = QString::fromUtf8(process.readLine()).trimmed();
    }
    // Ends it the way a user does, so it writes --save and --capture; true when it exited cleanly.
    bool stop()
    {
        process.terminate();
        return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit
               && process.exitCode() == 0;
    }
    ~Simulator()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
};

// The process's resident memory in KiB (Linux); -1 when it cannot be read.
inline long ResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}
