#include "tools/cli_run.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray emptyLines(int count)
{
    QByteArray b;
    for (int i = 0; i < count; ++i)
        b += ",\r\n";
    return b;
}

// The system's own words for why a file cannot be opened (they differ between platforms).
QString openError(const QString &name, QIODevice::OpenMode mode)
{
    QFile file(name);
    return file.open(mode) ? QString() : file.errorString();
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
        writeFile(path("in.sheet"), "LINE-A,\xE6\x97\xA5\r\nb 1,2\r\n");
    }

    void textLoadWarnsAndStillSucceeds()
    {
        writeFile(path("three.csv"), "a,b\r\nLINE-A 500ml,4901234567894\r\n");
        const Run r = runCli({"convert", path("three.csv"), "-"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.errLines.contains("'" + path("three.csv") + "': 1 line(s) lost text; line 2: '4901234567894' left out"));
    }

    void checkListsFindingsAndFails_data()
    {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::newRow("clean") << QByteArray("a,1\r\nb,2\r\n") << 0 << QByteArray();
        QTest::newRow("duplicate and lost entry") << QByteArray("a,1\r\nb,1\r\nc,\r\n") << 1
                                                  << QByteArray("row 2: bar code '1' also in row 1\n"
                                                                "row 3: 'c' lies after the last bar code (row 2); "
                                                                "the controller will not see it\n");
    }
    void checkListsFindingsAndFails()
    {
        QFETCH(QByteArray, table);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        writeFile(path("check.csv"), table);
        const Run r = runCli({"check", path("check.csv")});
        QCOMPARE(r.exitCode, exitCode);
        QCOMPARE(r.out, printed(out));
        if (exitCode)
            QCOMPARE(r.errLines.last(), "check table: 2 finding(s)");
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
                                          << FileBytes(path("in.bin"));
        QTest::newRow("image recognised") << QStringList{} << "in.bin" << "C1,B1\r\n,\r\n,B3\r\n" + emptyLines(509);
        QTest::newRow("image read as text when told") << QStringList{"--from", "text"} << "in.bin"
                                                      << FileBytes(path("in.bin")).left(128) + ",\r\n" + emptyLines(511);
        QTest::newRow("text to sheet") << QStringList{"--to", "sheet"} << "in.csv"
                                       << "\xEF\xBB\xBF\"a b\",c\r\nx,\"y\"\"z\"\r\n" + emptyLines(510);
        QTest::newRow("sheet to text") << QStringList{"--from", "sheet"} << "in.sheet"
                                       << "LINE-A,\x93\xFA\r\n\"b 1\",2\r\n" + emptyLines(510);
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
        QCOMPARE(FileBytes(out), expected);
        const Run toStdout = runCli(QStringList{"convert"} + options + QStringList{path(input), "-"});
        QCOMPARE(toStdout.exitCode, 0);
        QCOMPARE(toStdout.out, expected);
    }

    // A workbook written by the tool is recognised and read back unchanged, also
    // when its name says nothing and its path is not ASCII.
    void workbookRoundTrip()
    {
        const QString workbook = path(u"\u8868.data"_qs);
        QCOMPARE(runCli({"convert", "--to", "xlsx", path("in.sheet"), workbook}).exitCode, 0);
        QVERIFY(FileBytes(workbook).startsWith("PK\x03\x04"));
        const Run back = runCli({"convert", workbook, "-"});
        QCOMPARE(back.exitCode, 0);
        QVERIFY(back.errLines.contains("'" + workbook + "' is an Excel workbook; read as xlsx"));
        QCOMPARE(back.out, "LINE-A,\x93\xFA\r\n\"b 1\",2\r\n" + emptyLines(510));
        QCOMPARE(QDir(m_dir.path()).entryList({"*.tmp"}, QDir::Files | QDir::Hidden), QStringList());
    }

    void forceWritesATableThatWillBeCut()
    {
        writeFile(path("long.csv"), QByteArray(64, 'a') + ",1\r\n");
        const Run r = runCli({"convert", "--to", "binary", "--force", path("long.csv"), "-"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out.left(128), "1" + QByteArray(67, '\xFF') + QByteArray(60, 'a'));
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
                                       << "cannot open 'NOFILE': " + openError(path("nofile"), QIODevice::ReadOnly);
        QTest::newRow("binary that would cut a text") << QStringList{"convert", "--to", "binary", "LONG", "OUT"}
                                                      << "nothing written: the table would lose the texts listed "
                                                         "above (--force writes it all the same)";
        QTest::newRow("send that would cut a text") << QStringList{"send", "--port", "NODIR", "LONG"}
                                                    << "nothing written: the table would lose the texts listed "
                                                       "above (--force writes it all the same)";
        QTest::newRow("output in missing folder") << QStringList{"convert", path("in.csv"), "NODIR/x"}
                                                  << "cannot open 'NODIR/x': "
                                                         + openError(path("nodir/x"), QIODevice::WriteOnly);
    }
    void failuresEndWithTheMessage()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, lastLine);
        writeFile(path("empty"), QByteArray());
        writeFile(path("short"), QByteArray(65535, 'x'));
        writeFile(path("kept"), "old");
        writeFile(path("long"), QByteArray(64, 'a') + ",1\r\n");
        const QMap<QString, QString> names{{"EMPTY", path("empty")}, {"SHORT", path("short")}, {"LONG", path("long")},
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
        QCOMPARE(FileBytes(path("kept")), QByteArray("old"));
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
        QTest::newRow("auto is for loads") << QStringList{"convert", "--to", "auto", "a", "b"};
        QTest::newRow("check takes one file") << QStringList{"check", "a", "b"};
        QTest::newRow("missing value") << QStringList{"convert", "a", "b", "--to"};
        QTest::newRow("unknown option") << QStringList{"convert", "--fast", "a", "b"};
    }
    void usageErrorsExit2()
    {
        QFETCH(QStringList, args);
        const Run r = runCli(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.errLines.join('\n').contains("usage:"));
        QVERIFY(r.errLines.join('\n').contains(
            "ostrel-cli convert [--from auto|text|binary|sheet|xlsx] [--to text|binary|sheet|xlsx] [--force] IN OUT"));
        QVERIFY(r.out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliConvert)
#include "test_cli_convert.moc"
