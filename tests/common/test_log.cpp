#include "common/zered_log.h"

#include <QRegularExpression>
#include <QTest>

using namespace zered;

namespace {
struct Capture : LogTarget
{
    struct Line { QString stamp, message; int colour; bool bold; };
    QList<Line> lines;
    int background = 0xF0F0F0;
    void appendLine(const QString &s, const QString &m, int c, bool b) override { lines.append({s, m, c, b}); }
    int backgroundColour() const override { return background; }
};
} // namespace

class TestLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void effectiveColour_data()
    {
        QTest::addColumn<int>("colour");
        QTest::addColumn<int>("background");
        QTest::addColumn<int>("expected");
        QTest::newRow("magenta passes") << clMagenta << 0xF0F0F0 << clMagenta;
        QTest::newRow("navy passes") << clNavy << 0xF0F0F0 << clNavy;
        QTest::newRow("automatic is black") << -1 << 0xF0F0F0 << clBlack;
        QTest::newRow("other negative is black") << -7 << 0xF0F0F0 << clBlack;
        QTest::newRow("same as background") << 0xF0F0F0 << 0xF0F0F0 << clBlack;
        QTest::newRow("black on black is white") << clBlack << clBlack << clWhite;
        QTest::newRow("automatic on black is white") << -1 << clBlack << clWhite;
    }
    void effectiveColour()
    {
        QFETCH(int, colour);
        QFETCH(int, background);
        QFETCH(int, expected);
        QCOMPARE(EffectiveColour(colour, background, true), expected);
    }

    void printFormatsStampsAndBolds()
    {
        Capture cap;
        LogAttach(&cap);
        LogPrint(clBlack, "load from '%s'; %dmsec", "a b.csv", 12);
        LogPrint(-1, "plain");
        LogPrint(clMagenta, "%s", "");
        LogAttach(nullptr);
        LogPrint(clBlack, "nowhere");
        QCOMPARE(cap.lines.size(), 3);
        QCOMPARE(cap.lines[0].message, u"load from 'a b.csv'; 12msec"_qs);
        QVERIFY(QRegularExpression(u"^\\d\\d:\\d\\d:\\d\\d $"_qs).match(cap.lines[0].stamp).hasMatch());
        QVERIFY(cap.lines[0].bold);
        QVERIFY(!cap.lines[1].bold);
        QCOMPARE(cap.lines[2].message, QString());
    }

    void shutdownStopsPaneOutput()
    {
        Capture cap;
        LogAttach(&cap);
        LogShutdown();
        LogPrint(clBlack, "late");
        QVERIFY(cap.lines.isEmpty());
        LogAttach(nullptr);
    }
};

QTEST_GUILESS_MAIN(TestLog)
#include "test_log.moc"
