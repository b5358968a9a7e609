#include "common/comma_text.h"

#include <QTest>

class TestCommaText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void join_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << QStringList{"a.csv", "b.csv"} << "a.csv,b.csv";
        QTest::newRow("blank in name") << QStringList{"/t/my table.csv", "b.csv"} << "\"/t/my table.csv\",b.csv";
        QTest::newRow("quote in name") << QStringList{"say \"hi\""} << "\"say \"\"hi\"\"\"";
        QTest::newRow("lone quote") << QStringList{"a\"b"} << "\"a\"\"b\"";
        QTest::newRow("comma in name") << QStringList{"a,b", "c"} << "\"a,b\",c";
        QTest::newRow("tab in name") << QStringList{"a\tb"} << "\"a\tb\"";
        QTest::newRow("control char") << QStringList{QString("a") + QChar(1)} << QString("\"a") + QChar(1) + "\"";
        QTest::newRow("empty item unquoted") << QStringList{"a", "", "b"} << "a,,b";
        QTest::newRow("trailing empty item") << QStringList{"a", ""} << "a,";
        QTest::newRow("non-ASCII unquoted") << QStringList{"表.csv", "é"} << "表.csv,é";
        QTest::newRow("no items") << QStringList{} << "";
        QTest::newRow("one empty item") << QStringList{""} << "";
    }
    void join()
    {
        QFETCH(QStringList, items);
        QFETCH(QString, text);
        QCOMPARE(CommaTextJoin(items), text);
    }

    void split_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("plain") << "a,b" << QStringList{"a", "b"};
        QTest::newRow("quoted blank") << "\"my table.csv\",b" << QStringList{"my table.csv", "b"};
        QTest::newRow("doubled quote") << "\"a\"\"b\"" << QStringList{"a\"b"};
        QTest::newRow("quoted comma") << "\"a,b\",c" << QStringList{"a,b", "c"};
        QTest::newRow("leading blanks and controls") << QString(" \t") + QChar(1) + "\r\na" << QStringList{"a"};
        QTest::newRow("blank ends unquoted item") << "a b" << QStringList{"a", "b"};
        QTest::newRow("blanks around comma") << "a \t, b" << QStringList{"a", "b"};
        QTest::newRow("empty middle item") << "a,,b" << QStringList{"a", "", "b"};
        QTest::newRow("leading comma") << ",a" << QStringList{"", "a"};
        QTest::newRow("trailing comma") << "a," << QStringList{"a", ""};
        QTest::newRow("lone comma") << "," << QStringList{"", ""};
        QTest::newRow("comma then blank at end") << "a, " << QStringList{"a"};
        QTest::newRow("text after closing quote") << "\"ab\"cd,e" << QStringList{"ab", "cd", "e"};
        QTest::newRow("unclosed quote runs to end") << "\"ab, c" << QStringList{"ab, c"};
        QTest::newRow("empty quoted") << "\"\",x" << QStringList{"", "x"};
        QTest::newRow("NUL ends the text") << QString("a,b") + QChar(0) + ",c" << QStringList{"a", "b"};
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("blanks only") << "  \t " << QStringList{};
        QTest::newRow("non-ASCII") << "表.csv,\"テ ブル.csv\"" << QStringList{"表.csv", "テ ブル.csv"};
    }
    void split()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, items);
        QCOMPARE(CommaTextSplit(text), items);
    }

    // Every list but a single empty item survives the trip a forwarded file list takes.
    void roundTrip_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::newRow("awkward paths") << QStringList{
            "C:\\My Documents\\table 1.csv", "/home/u/\"quoted\".csv", "/t/a,b.csv",
            " leading blank", "trailing blank ", "\t", "表 テーブル.csv", "\"", ",", "\"\""};
        QTest::newRow("empty items") << QStringList{"", "", ""};
        QTest::newRow("empty last") << QStringList{"x", ""};
        QTest::newRow("empty first") << QStringList{"", "y"};
        QTest::newRow("control chars") << QStringList{QString(QChar(31)) + "a", QString("b") + QChar(127)};
        QStringList many;
        for (int i = 0; i < 3000; ++i)
            many << QStringLiteral("/data/Ordner %1/\"Tab\", %1 表.csv").arg(i);
        QTest::newRow("3000 awkward paths") << many;
    }
    void roundTrip()
    {
        QFETCH(QStringList, items);
        QCOMPARE(CommaTextSplit(CommaTextJoin(items)), items);
    }
};

QTEST_APPLESS_MAIN(TestCommaText)
#include "test_comma_text.moc"
