#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QStringList errLines;
};

Run runCli(const QStringList &args)
{
    QProcess p;
    // CTest names the build folder; run by hand, the test sits in its tests/ folder.
    const QString buildDir = qEnvironmentVariable("OSTREL_BUILD_DIR",
                                                  QCoreApplication::applicationDirPath() + "/..");
    p.start(buildDir + "/ostrel-cli", args);
    Run r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.errLines = QString::fromUtf8(p.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    return r;
}

void writeFile(const QString &name, const QByteArray &bytes)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QByteArray emptyLines(int count)
{
    QByteArray b;
    for (int i = 0; i < count; ++i)
        b += ",\r\n";
    return b;
}

} // namespace

class TestCliConvert : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        writeFile(path("in.csv"), " \"a b\" , c\nx,\"y\"\"z\"\r\n");
        QByteArray image(65536, '\xFF');
        image.replace(0, 2, "B1");
        image.replace(68, 2, "C1");
        image[128] = '\0';
        image.replace(256, 2, "B3");
        writeFile(path("in.bin"), image);
    }

    void convertsBetweenFormats_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QByteArray>("expected");
        QByteArray fromText(65536, '\xFF');
        fromText.replace(0, 1, "c");
        fromText.replace(68, 3, "a b");
        fromText.replace(128, 3, "y\"z");
        fromText.replace(128 + 68, 1, "x");
        QTest::newRow("text to text") << QStringList{} << "in.csv"
                                      << "\"a b\",c\r\nx,\"y\"\"z\"\r\n" + emptyLines(510);
        QTest::newRow("text to binary") << QStringList{"--to", "binary"} << "in.csv" << fromText;
        QTest::newRow("binary to text") << QStringList{"--from", "binary", "--to", "text"} << "in.bin"
                                        << "C1,B1\r\n,\r\n,B3\r\n" + emptyLines(509);
        QTest::newRow("binary to binary") << QStringList{"--from", "binary", "--to", "binary"} << "in.bin"
                                          << readFile(path("in.bin"));
    }
    void convertsBetweenFormats()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, input);
        QFETCH(QByteArray, expected);
        const QString out = path("out");
        QFile::remove(out);
        const Run toFile = runCli(QStringList{"convert"} + options + QStringList{path(input), out});
        QCOMPARE(toFile.exitCode, 0);
        QVERIFY(toFile.out.isEmpty());
        QCOMPARE(readFile(out), expected);
        const Run toStdout = runCli(QStringList{"convert"} + options + QStringList{path(input), "-"});
        QCOMPARE(toStdout.exitCode, 0);
        QCOMPARE(toStdout.out, expected);
    }

    void logsLinesWithoutStamps()
    {
        const Run r = runCli({"convert", path("in.csv"), path("logged.csv")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.errLines.size(), 2);
        QVERIFY(QRegularExpression("^load from '" + QRegularExpression::escape(path("in.csv")) + "'; \\d+msec$")
                    .match(r.errLines[0]).hasMatch());
        QVERIFY(QRegularExpression("^save to '" + QRegularExpression::escape(path("logged.csv")) + "'; \\d+msec$")
                    .match(r.errLines[1]).hasMatch());
    }

    void failuresEndWithTheMessage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("lastLine");
        QTest::newRow("empty text") << QStringList{"convert", "EMPTY", "OUT"} << "csv empty";
        QTest::newRow("short binary") << QStringList{"convert", "--from", "binary", "SHORT", "OUT"} << "size missmacthed";
        QTest::newRow("missing input") << QStringList{"convert", "NOFILE", "OUT"}
                                       << "cannot open 'NOFILE': No such file or directory";
        QTest::newRow("output in missing folder") << QStringList{"convert", path("in.csv"), "NODIR/x"}
                                                  << "cannot open 'NODIR/x': No such file or directory";
    }
    void failuresEndWithTheMessage()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, lastLine);
        writeFile(path("empty"), QByteArray());
        writeFile(path("short"), QByteArray(65535, 'x'));
        writeFile(path("kept"), "old");
        const QMap<QString, QString> names{{"EMPTY", path("empty")}, {"SHORT", path("short")},
                                           {"NOFILE", path("nofile")}, {"OUT", path("kept")},
                                           {"NODIR", path("nodir")}};
        auto expand = [&](QString &text) {
            for (auto it = names.begin(); it != names.end(); ++it)
                text.replace(it.key(), it.value());
        };
        expand(lastLine);
        for (QString &a : args)
            expand(a);
        const Run r = runCli(args);
        QCOMPARE(r.exitCode, 1);
        QVERIFY(!r.errLines.isEmpty());
        QCOMPARE(r.errLines.last(), lastLine);
        QCOMPARE(readFile(path("kept")), QByteArray("old"));
        QVERIFY(r.out.isEmpty());
    }

    void usageErrorsExit2_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("unknown command") << QStringList{"frobnicate"};
        QTest::newRow("one file") << QStringList{"convert", "a"};
        QTest::newRow("three files") << QStringList{"convert", "a", "b", "c"};
        QTest::newRow("bad format") << QStringList{"convert", "--from", "xml", "a", "b"};
        QTest::newRow("missing value") << QStringList{"convert", "a", "b", "--to"};
        QTest::newRow("unknown option") << QStringList{"convert", "--fast", "a", "b"};
    }
    void usageErrorsExit2()
    {
        QFETCH(QStringList, args);
        const Run r = runCli(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.errLines.join('\n').contains("usage:"));
        QVERIFY(r.errLines.join('\n').contains("ostrel-cli convert [--from text|binary] [--to text|binary] IN OUT"));
        QVERIFY(r.out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliConvert)
#include "test_cli_convert.moc"
