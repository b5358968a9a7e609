#include "common/counted_text.h"
#include "common/zered_error.h"
#include "documents/go_to_row.h"
#include "documents/grid_fill.h"
#include "documents/grid_hints.h"
#include "documents/grid_replace.h"
#include "documents/table_document.h"

#include <QTest>

namespace {

using Rows = QList<QByteArrayList>;   // columns 1 and 2 of rows 1, 2, ...

void Fill(TableDocument &d, const Rows &rows)
{
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            d.setCell(c + 1, r + 1, rows[r][c]);
}

Rows TopRows(const TableDocument &d, int count)
{
    Rows rows;
    for (int r = 1; r <= count; ++r)
        rows.append({d.grid().cell(1, r), d.grid().cell(2, r)});
    return rows;
}

ReplaceOptions Options(bool matchCase, bool wholeCell, bool regex, ReplaceScope scope = ReplaceScope::Table)
{
    ReplaceOptions o;
    o.matchCase = matchCase;
    o.wholeCell = wholeCell;
    o.regularExpression = regex;
    o.scope = scope;
    o.selection = {1, 2, 2, 2};
    return o;
}

}   // namespace

Q_DECLARE_METATYPE(ReplaceOptions)
Q_DECLARE_METATYPE(GridRect)

class TestGridEditCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void replaceAll_data()
    {
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("with");
        QTest::addColumn<ReplaceOptions>("options");
        QTest::addColumn<Rows>("after");
        const Rows start{{"Part-a", "A-12"}, {"part-b", "b-34"}, {"", "PART"}};
        QTest::addColumn<Rows>("before");
        QTest::newRow("any case, every cell") << u"part"_qs << u"X"_qs << Options(false, false, false)
                                              << Rows{{"X-a", "A-12"}, {"X-b", "b-34"}, {"", "X"}} << start;
        QTest::newRow("match case") << u"part"_qs << u"X"_qs << Options(true, false, false)
                                    << Rows{{"Part-a", "A-12"}, {"X-b", "b-34"}, {"", "PART"}} << start;
        QTest::newRow("whole cell") << u"part"_qs << u"Z"_qs << Options(false, true, false)
                                    << Rows{{"Part-a", "A-12"}, {"part-b", "b-34"}, {"", "Z"}} << start;
        QTest::newRow("empty whole cell fills empty cells of the scope")
            << QString() << u"-"_qs << Options(false, true, false, ReplaceScope::ConvStrings)
            << Rows{{"Part-a", "A-12"}, {"part-b", "b-34"}, {"-", "PART"}} << start;
        QTest::newRow("capture groups") << u"(\\w)-(\\d+)"_qs << u"\\2/\\1"_qs << Options(false, false, true)
                                        << Rows{{"Part-a", "12/A"}, {"part-b", "34/b"}, {"", "PART"}} << start;
        QTest::newRow("anchored regex, whole cell") << u"p.rt"_qs << u"W"_qs << Options(false, true, true)
                                                    << Rows{{"Part-a", "A-12"}, {"part-b", "b-34"}, {"", "W"}} << start;
        QTest::newRow("bar codes only") << u"-"_qs << u"+"_qs << Options(false, false, false, ReplaceScope::Barcodes)
                                        << Rows{{"Part-a", "A+12"}, {"part-b", "b+34"}, {"", "PART"}} << start;
        QTest::newRow("selection only") << u"-"_qs << u"+"_qs << Options(false, false, false, ReplaceScope::Selection)
                                        << Rows{{"Part-a", "A-12"}, {"part+b", "b+34"}, {"", "PART"}} << start;
        QTest::newRow("Japanese text") << u"部品"_qs << u"ぶひん"_qs << Options(false, false, false)
                                       << Rows{{"\x82\xd4\x82\xd0\x82\xf1"
                                                "1",
                                                ""}}
                                       << Rows{{"\x95\x94\x95\x69"
                                                "1",
                                                ""}};
        QTest::newRow("cell not Shift-JIS left alone") << u"x"_qs << u"y"_qs << Options(false, false, false)
                                                       << Rows{{"x\x81\x7f", "y"}} << Rows{{"x\x81\x7f", "x"}};
    }
    void replaceAll()
    {
        QFETCH(QString, find);
        QFETCH(QString, with);
        QFETCH(ReplaceOptions, options);
        QFETCH(Rows, before);
        QFETCH(Rows, after);
        TableDocument d;
        Fill(d, before);
        const QByteArray numbers = d.grid().cell(0, 3);
        d.ReplaceCells(d.PlanReplace(CellReplacer(find, with, options)));
        QCOMPARE(TopRows(d, int(after.size())), after);
        QCOMPARE(d.grid().cell(0, 3), numbers);   // row numbers and titles are never in scope
        QCOMPARE(d.grid().cell(1, 0), QByteArray("conv str"));
    }

    void replaceRefusesWhatTheCellCannotHold()
    {
        TableDocument d;
        Fill(d, {{"abc"}});
        QVERIFY_THROWS_EXCEPTION(OstrelError, d.PlanReplace(CellReplacer(u"b"_qs, u"\U0001F600"_qs, {})));
        QVERIFY_THROWS_EXCEPTION(OstrelError, CellReplacer(u"(a"_qs, QString(), Options(false, false, true)));
        QCOMPARE(d.grid().cell(1, 1), QByteArray("abc"));
    }

    void replacePlanCountsShiftJisBytes()
    {
        TableDocument d;
        Fill(d, {{QByteArray(40, 'a')}});
        const QList<CellReplacement> plan = d.PlanReplace(CellReplacer(u"a"_qs, u"あ"_qs, {}));
        QCOMPARE(plan.size(), 1);
        QCOMPARE(plan[0].after.size(), 80);   // past the 60-byte field: the window lists it first
        QCOMPARE(ColumnFieldLength(plan[0].cell.col), 60);
    }

    void findNextMatchWrapsWithinScope()
    {
        TableDocument d;
        Fill(d, {{"x", "x"}, {"", ""}, {"x", ""}});
        const CellReplacer replacer(u"x"_qs, QString(), Options(false, false, false, ReplaceScope::ConvStrings));
        QCOMPARE(FindNextMatch(d.grid(), replacer, {1, 1}), std::optional<GridCell>(GridCell{1, 3}));
        QCOMPARE(FindNextMatch(d.grid(), replacer, {1, 3}), std::optional<GridCell>(GridCell{1, 1}));
        QCOMPARE(FindNextMatch(d.grid(), CellReplacer(u"q"_qs, QString(), {}), {1, 1}), std::nullopt);
    }

    void seriesText_data()
    {
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<int>("steps");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("width kept") << QByteArray("PART001") << 1 << QByteArray("PART002");
        QTest::newRow("carry within the width") << QByteArray("PART009") << 1 << QByteArray("PART010");
        QTest::newRow("511 steps") << QByteArray("PART001") << 511 << QByteArray("PART512");
        QTest::newRow("past the width grows") << QByteArray("PART999") << 1 << QByteArray("PART1000");
        QTest::newRow("digits inside stay") << QByteArray("A1-9") << 3 << QByteArray("A1-12");
        QTest::newRow("no number: copied") << QByteArray("ABC") << 4 << QByteArray("ABC");
        QTest::newRow("longer than 64 bits")
            << QByteArray("99999999999999999999") << 1 << QByteArray("100000000000000000000");
        QTest::newRow("EAN-13 keeps its check digit")
            << QByteArray("4901234567894") << 1 << QByteArray("4901234567900");
        QTest::newRow("EAN-13, two on") << QByteArray("4901234567894") << 2 << QByteArray("4901234567917");
        QTest::newRow("EAN-8") << QByteArray("12345670") << 1 << QByteArray("12345687");
        QTest::newRow("13 digits, wrong check digit: a plain number")
            << QByteArray("4901234567890") << 1 << QByteArray("4901234567891");
    }
    void seriesText()
    {
        QFETCH(QByteArray, start);
        QFETCH(int, steps);
        QFETCH(QByteArray, text);
        QCOMPARE(SeriesText(start, steps, 2), text);
    }

    void janSeriesRunningOutRefusesTheFill()
    {
        TableDocument d;
        Fill(d, {{"", "9999999999994"}});
        QVERIFY(IsJanCode("9999999999994"));
        d.setSelection({2, 1, 2, 3});
        QVERIFY_THROWS_EXCEPTION(OstrelError, d.FillSeries());
        QCOMPARE(TopRows(d, 3), (Rows{{"", "9999999999994"}, {"", ""}, {"", ""}}));
    }

    void fill_data()
    {
        QTest::addColumn<bool>("series");
        QTest::addColumn<GridRect>("selection");
        QTest::addColumn<Rows>("after");
        const GridRect block{1, 1, 2, 3};
        QTest::newRow("down") << false << block
                              << Rows{{"N7", "4901234567894"},
                                      {"N7", "4901234567894"},
                                      {"N7", "4901234567894"},
                                      {"", ""}};
        QTest::newRow("series") << true << block
                                << Rows{{"N7", "4901234567894"},
                                        {"N8", "4901234567900"},
                                        {"N9", "4901234567917"},
                                        {"", ""}};
        QTest::newRow("one row: from the row above")
            << true << GridRect{1, 2, 1, 2} << Rows{{"N7", "4901234567894"}, {"N8", "x"}, {"y", ""}, {"", ""}};
        QTest::newRow("row numbers column left out")
            << false << GridRect{0, 1, 1, 2} << Rows{{"N7", "4901234567894"}, {"N7", "x"}, {"y", ""}, {"", ""}};
    }
    void fill()
    {
        QFETCH(bool, series);
        QFETCH(GridRect, selection);
        QFETCH(Rows, after);
        TableDocument d;
        Fill(d, {{"N7", "4901234567894"}, {"", "x"}, {"y"}});
        d.setSelection(selection);
        series ? d.FillSeries() : d.FillDown();
        QCOMPARE(TopRows(d, 4), after);
        QCOMPARE(d.grid().cell(0, 2), QByteArray("2"));
    }

    void sortByTitleKeepsTheRowNumbers()
    {
        TableDocument d;
        Fill(d, {{"b"}, {"c"}, {"a"}});
        d.SortByColumn(1, TableDocument::RowNumbers::Stay);
        QCOMPARE(TopRows(d, 3), (Rows{{"a", ""}, {"b", ""}, {"c", ""}}));
        d.SortByColumn(1, TableDocument::RowNumbers::Stay);   // again: the other way round, empty cells last
        QCOMPARE(TopRows(d, 3), (Rows{{"c", ""}, {"b", ""}, {"a", ""}}));
        for (int row = 1; row <= 512; ++row)
            QCOMPARE(d.grid().cell(0, row), QByteArray::number(row));
    }

    void goToRow_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("row");   // -1: refused
        QTest::newRow("number") << u"12"_qs << 12;
        QTest::newRow("blanks around") << u" 7 "_qs << 7;
        QTest::newRow("last") << u"last"_qs << 40;
        QTest::newRow("LAST") << u"LAST"_qs << 40;
        QTest::newRow("512") << u"512"_qs << 512;
        QTest::newRow("0") << u"0"_qs << -1;
        QTest::newRow("513") << u"513"_qs << -1;
        QTest::newRow("word") << u"twelve"_qs << -1;
        QTest::newRow("empty") << QString() << -1;
    }
    void goToRow()
    {
        QFETCH(QString, answer);
        QFETCH(int, row);
        TableDocument d;
        d.setCell(2, 40, "last one");
        if (row < 0)
            QVERIFY_THROWS_EXCEPTION(OstrelError, GoToRowTarget(d.grid(), answer));
        else
            QCOMPARE(GoToRowTarget(d.grid(), answer), row);
        QCOMPARE(LastUsedRow(TableDocument().grid()), 1);
    }

    void byteCountOfTheCursorCell()
    {
        TableDocument d;
        d.setCell(1, 3,
                  "\x95\x94\x95\x69"
                  "A");   // 部品A: 5 bytes
        d.setCurrent(1, 3);
        QCOMPARE(CursorByteCount(d.grid()), u"conv str, row 3: 5 / 60 bytes"_qs);
        d.setCurrent(2, 3);
        QCOMPARE(CursorByteCount(d.grid()), u"bar code, row 3: 0 / 68 bytes"_qs);
        d.setCurrent(0, 3);
        QCOMPARE(CursorByteCount(d.grid()), QString());
    }

    void countedText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("filled");
        QTest::newRow("one") << u"%1 {row|rows}"_qs << QStringList{"1"} << u"1 row"_qs;
        QTest::newRow("many") << u"%1 {row|rows}"_qs << QStringList{"11"} << u"11 rows"_qs;
        QTest::newRow("none") << u"%1 {field differs|fields differ}"_qs << QStringList{"0"} << u"0 fields differ"_qs;
        QTest::newRow("by number") << u"%1 {row|rows} (row %2) {1:is|are} lost"_qs << QStringList{"1", "512"}
                                   << u"1 row (row 512) is lost"_qs;
        QTest::newRow("argument holding a placeholder")
            << u"'%1': %2 {cell|cells}"_qs << QStringList{"%2{a|b}", "1"} << u"'%2{a|b}': 1 cell"_qs;
    }
    void countedText()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, args);
        QFETCH(QString, filled);
        QCOMPARE(FillCounted(text, args), filled);
    }
};

QTEST_GUILESS_MAIN(TestGridEditCommands)
#include "test_grid_edit_commands.moc"
