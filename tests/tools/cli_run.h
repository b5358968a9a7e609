#pragma once

#include "test_support.h"

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

// How the programs end the lines they print: the C library turns "\n" into "\r\n" on
// Windows.
#ifdef Q_OS_WIN
inline constexpr char LineEnd[] = "\r\n";
#else
inline constexpr char LineEnd[] = "\n";
#endif

// Text as printed: each "\n" ended the platform's way.
inline QByteArray printed(QByteArray text)
{
    return text.replace("\n", LineEnd);
}

// One run of the built ostrel-cli: exit status, stdout bytes, stderr lines.
struct Run
{
    int exitCode = -1;
    QByteArray out;
    QStringList errLines;
};

// The user data folder of the runs (XDG_DATA_HOME), the test's own: the
// transfer journal of the runs lands there, not in the user's.
inline QString RunsDataHome()
{
    static QTemporaryDir home;
    return home.path();
}

// The transfer journal the runs write, its lines as they stand.
inline QStringList RunsJournalLines()
{
    QFile journal(RunsDataHome() + QStringLiteral("/Brenvik/KOV-Ostrel Manager/transfers.csv"));
    if (!journal.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(journal.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

// One run of a built program (file name in the build folder).
inline Run runTool(const QString &program, const QStringList &args, const QString &workingDir = QString())
{
    QProcess p;
    if (!workingDir.isEmpty())
        p.setWorkingDirectory(workingDir);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), RunsDataHome());
    p.setProcessEnvironment(environment);
    p.start(BuildDir() + "/" + program, args);
    Run r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.errLines = QString::fromUtf8(p.readAllStandardError()).split(QLatin1String(LineEnd), Qt::SkipEmptyParts);
    return r;
}

inline Run runCli(const QStringList &args, const QString &workingDir = QString())
{
    return runTool("ostrel-cli", args, workingDir);
}

inline void writeFile(const QString &name, const QByteArray &bytes)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
