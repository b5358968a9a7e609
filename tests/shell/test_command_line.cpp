#include "shell/command_line.h"

#include <QDir>
#include <QTest>

using Request = EditorCommandLine::Request;

// Absolute paths of this platform: "/work/here" on Linux, "C:/work/here" on Windows,
// where a path without a drive is not absolute.
static QString rooted(const QString &path)
{
    return QDir::rootPath() + path;
}

class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parses_data()
    {
        auto in = [&](const QString &name) { return QDir::toNativeSeparators(rooted("work/here/") + name); };
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("request");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("port");
        // A running editor gets the files forwarded; its working folder is not this one.
        QTest::newRow("relative files") << QStringList{"f5.csv", "sub/../t b.csv"} << int(Request::Run)
                                        << QStringList{in("f5.csv"), in("t b.csv")} << QString();
        QTest::newRow("absolute file") << QStringList{rooted("tmp/a.csv")} << int(Request::Run)
                                       << QStringList{QDir::toNativeSeparators(rooted("tmp/a.csv"))} << QString();
        QTest::newRow("port for this run") << QStringList{"--port", "/dev/pts/3", "a.csv"} << int(Request::Run)
                                           << QStringList{in("a.csv")} << "/dev/pts/3";
        QTest::newRow("help wins") << QStringList{"a.csv", "--version", "--help"} << int(Request::Help)
                                   << QStringList{in("a.csv")} << QString();
        QTest::newRow("version") << QStringList{"--version"} << int(Request::Version) << QStringList{} << QString();
        QTest::newRow("options end at --") << QStringList{"--", "--help"} << int(Request::Run)
                                           << QStringList{in("--help")} << QString();
    }
    void parses()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, request);
        QFETCH(QStringList, files);
        QFETCH(QString, port);
        const EditorCommandLine line = ParseEditorCommandLine(arguments, rooted("work/here"));
        QCOMPARE(int(line.request), request);
        QCOMPARE(line.files, files);
        QCOMPARE(line.port, port);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
