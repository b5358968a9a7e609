#include "common/codepage.h"
#include "common/messages.h"
#include "documents/string_grid.h"
#include "documents/table_check.h"
#include "documents/table_image.h"
#include "log_capture.h"

#include <QTest>

namespace {

// Rows of (conv str, bar code) from row 1 on.
using Rows = QList<QPair<QByteArray, QByteArray>>;
// A finding as (row, column, kind).
using Found = QList<std::tuple<int, int, int>>;

StringGrid gridOf(const Rows &rows)
{
    StringGrid grid(3, TableRowCount + 1);
    for (int i = 0; i < rows.size(); ++i) {
        grid.setCell(ConvStrColumn, i + 1, rows[i].first);
        grid.setCell(BarcodeColumn, i + 1, rows[i].second);
    }
    return grid;
}

constexpr int Cut = int(TableFinding::Kind::Cut), Duplicate = int(TableFinding::Kind::Duplicate),
              AfterEnd = int(TableFinding::Kind::AfterEnd), NotShiftJis = int(TableFinding::Kind::NotShiftJis),
              OtherBytes = int(TableFinding::Kind::OtherForm), Spreadsheet = int(TableFinding::Kind::Spreadsheet),
              ShortDigits = int(TableFinding::Kind::ShortDigits);

} // namespace

class TestTableCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findings_data()
    {
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<Found>("found");
        QTest::addColumn<QString>("firstText");
        const QByteArray conv60(60, 'c'), bar68(68, 'b');
        // 59 single bytes, then a double-byte character across the 60-byte boundary.
        const QByteArray split = QByteArray(59, 'x') + "\x93\xFA";
        QTest::newRow("clean table") << Rows{{"a", "1"}, {"", ""}, {"b", "2"}, {conv60, bar68}} << Found{} << "";
        QTest::newRow("texts cut") << Rows{{conv60 + "dd", "1"}, {"a", bar68 + "9"}}
                                   << Found{{1, 1, Cut}, {2, 2, Cut}}
                                   << "row 1: conv str of 62 bytes is cut to 60: '" + QString(conv60) + "'";
        QTest::newRow("cut splits a double-byte character")
            << Rows{{split, "1"}, {QByteArray(58, 'x') + "\x93\xFA" + "z", "2"}} << Found{{1, 1, Cut}, {2, 1, Cut}}
            << "row 1: conv str of 61 bytes is cut to 60 in the middle of a double-byte character: '"
                   + QString(59, u'x') + "'";
        QTest::newRow("duplicate bar codes, also equal once cut")
            << Rows{{"a", "123"}, {"b", "9"}, {"c", "123"}, {"d", bar68 + "1"}, {"e", bar68 + "2"}}
            << Found{{3, 2, Duplicate}, {5, 2, Cut}, {5, 2, Duplicate}, {4, 2, Cut}}
            << "row 3: bar code '123' also in row 1";
        QTest::newRow("entries after the last bar code") << Rows{{"a", "1"}, {"", ""}, {"b", "2"}, {"lost", ""}, {"", ""}, {"x", ""}}
                                                         << Found{{4, 1, AfterEnd}, {6, 1, AfterEnd}}
                                                         << "row 4: 'lost' lies after the last bar code (row 3); "
                                                            "the controller will not see it";
        QTest::newRow("no bar code at all") << Rows{{"a", ""}} << Found{{1, 1, AfterEnd}}
                                            << "row 1: 'a' has no bar code in the table; the controller will not see it";
        QTest::newRow("bytes not Shift-JIS") << Rows{{"ok\x81", "1"}, {"\x93\xFA", "\x81\x20"}}
                                             << Found{{1, 1, NotShiftJis}, {2, 2, NotShiftJis}}
                                             << "row 1: conv str holds bytes that are not Shift-JIS";
        // As Windows and Python write them; ICU and Windows encode the same
        // characters as 0xFB 0xFC and 0xFA 0xB1 (a code page table that writes the
        // NEC form instead finds the other rows).
        if (EncodeCp932(u"\u9AD9"_qs) == "\xFB\xFC")
            QTest::newRow("NEC-selected rows are Shift-JIS, in their other form")
                << Rows{{"\xEE\xE0", "1"}, {"a", "x\xED\x95"}, {"\xFB\xFC", "2"}}
                << Found{{1, 1, OtherBytes}, {2, 2, OtherBytes}}
                << u"row 1: conv str holds '\u9AD9' as 0xEE 0xE0; read back from a spreadsheet file it is stored as "
                   "0xFB 0xFC, the other form of it"_qs;
        QTest::newRow("what spreadsheets make of texts")
            << Rows{{"a", "4.90123E+12"}, {"b", "1E+068"}, {"=SUM(A1)", "3"}, {"c", "3/4"}, {"d", "2024-03-04"},
                    {"e", "4-Mar"},       {"f", "1E5"},    {"g", "12/345"},   {"h", "A-12"}}
            << Found{{1, 2, Spreadsheet}, {2, 2, Spreadsheet}, {3, 1, Spreadsheet},
                     {4, 2, Spreadsheet}, {5, 2, Spreadsheet}, {6, 2, Spreadsheet}}
            << "row 1: bar code '4.90123E+12' is a number in exponent form, as a spreadsheet writes it; the digits it "
               "stood for are lost";
        QTest::newRow("digits shorter than those of their kind")
            << Rows{{"a", "4901234567894"}, {"b", "4901234567895"}, {"c", "49012345678"}, {"d", "12"},
                    {"e", "A12"},           {"f", "0012345678905"}}
            << Found{{3, 2, ShortDigits}, {4, 2, ShortDigits}}
            << "row 3: bar code '49012345678' has 11 digits where 3 other rows have 13; a spreadsheet may have "
               "dropped its leading zeros ('0049012345678')";
        QTest::newRow("a text of megabytes quoted by its head")
            << Rows{{"=" + QByteArray(1 << 20, 'x'), ""}} << Found{{1, 1, Spreadsheet}, {1, 1, Cut}, {1, 1, AfterEnd}}
            << u"row 1: conv str '="_qs + QString(255, u'x')
                   + u"\u2026' starts with \"=\", which a spreadsheet takes for a formula"_qs;
        QTest::newRow("no length common enough for a hint")
            << Rows{{"a", "1"},    {"b", "23"},       {"c", "4567"},    {"d", "4568"},
                    {"e", "4569"}, {"f", "12345678"}, {"g", "87654321"}}
            << Found{} << "";
    }
    void findings()
    {
        QFETCH(Rows, rows);
        QFETCH(Found, found);
        QFETCH(QString, firstText);
        const QList<TableFinding> findings = CheckTable(gridOf(rows));
        Found got;
        for (const TableFinding &f : findings)
            got.append({f.row, f.column, int(f.kind)});
        std::sort(got.begin(), got.end());
        std::sort(found.begin(), found.end());
        QCOMPARE(got, found);
        QCOMPARE(findings.value(0).text, firstText);
        for (int i = 1; i < findings.size(); ++i)
            QVERIFY(findings[i - 1].row <= findings[i].row);   // row by row
        const auto losing = std::count_if(found.begin(), found.end(), [](const auto &f) {
            return std::get<2>(f) == Cut || std::get<2>(f) == AfterEnd;
        });
        const QString warning = LossWarning(findings);
        QCOMPARE(warning.isEmpty(), losing == 0);
        if (losing > 0)
            QVERIFY(warning.startsWith(QString::number(losing) + u"件"_qs));
    }

    void fieldLengthsInForce()
    {
        const int old = ConvStrFieldLen;
        ConvStrFieldLen = 10;
        const QList<TableFinding> findings = CheckTable(gridOf({{QByteArray(11, 'c'), "1"}}));
        ConvStrFieldLen = old;
        QCOMPARE(findings.size(), 1);
        QCOMPARE(findings[0].kind, TableFinding::Kind::Cut);
    }

    void logsWarningsAndSummary()
    {
        LogCapture log;
        QCOMPARE(LogFindings(CheckTable(gridOf({{"a", "1"}, {"b", "1"}}))), 1);
        QCOMPARE(log.messages(), (QStringList{"row 2: bar code '1' also in row 1", "check table: 1 finding(s)"}));
        QCOMPARE(log.lines[0].colour, zered::clWarning);
        log.lines.clear();
        QCOMPARE(LogFindings({}), 0);
        QCOMPARE(log.messages(), QStringList{Msg::CheckClean});
    }
};

QTEST_GUILESS_MAIN(TestTableCheck)
#include "test_table_check.moc"
