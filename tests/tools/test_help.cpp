#include "cli_run.h"

#include <QTest>

// Both programs answer --help and --version on stdout and exit 0, without a
// display and without starting anything.
class TestHelp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void printsAndExits_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("ostrel --help") << "ostrel" << "--help" << "usage: ostrel [--port P] [FILE...]";
        QTest::newRow("ostrel --version") << "ostrel" << "--version" << "ostrel (KOV-Ostrel Manager) " OSTREL_TEST_VERSION;
        QTest::newRow("ostrel-cli --help") << "ostrel-cli" << "--help" << "usage:";
        QTest::newRow("ostrel-cli --version") << "ostrel-cli" << "--version"
                                              << "ostrel-cli (KOV-Ostrel Manager) " OSTREL_TEST_VERSION;
    }
    void printsAndExits()
    {
        QFETCH(QString, program);
        QFETCH(QString, option);
        QFETCH(QString, firstLine);
        // No display at all: a window system the editor tried to reach would abort the run.
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
        qputenv("QT_QPA_PLATFORM", "xcb");
        const Run run = runTool(program, {option, "no-such-file.csv"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.errLines, QStringList());
        QCOMPARE(QString::fromUtf8(run.out).section(QLatin1String(LineEnd), 0, 0), firstLine);
    }
};

QTEST_GUILESS_MAIN(TestHelp)
#include "test_help.moc"
