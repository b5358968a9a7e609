#include "common/zered_error.h"
#include "documents/grid_commands.h"
#include "documents/table_document.h"

#include <QTest>

namespace {

using Rows = QList<QByteArrayList>;   // columns 1 and 2 of rows 1, 2, ...

// A new table's grid (numbers 1..512) with rows filled from the top.
StringGrid Table(const Rows &rows)
{
    StringGrid grid = TableDocument().grid();
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            grid.setCell(c + 1, r + 1, rows[r][c]);
    return grid;
}

Rows TopRows(const StringGrid &grid, int count)
{
    Rows rows;
    for (int r = 1; r <= count; ++r)
        rows.append({grid.cell(1, r), grid.cell(2, r)});
    return rows;
}

QByteArrayList Column(const StringGrid &grid, int col, int count)
{
    QByteArrayList texts;
    for (int r = 1; r <= count; ++r)
        texts.append(grid.cell(col, r));
    return texts;
}

// Clipboard text (ASCII) as the block a paste stores.
GridBlock Block(const QByteArray &clip)
{
    GridBlock block;
    for (const QStringList &fields : ParseClipboardText(QString::fromLatin1(clip))) {
        QByteArrayList row;
        for (const QString &field : fields)
            row.append(field.toLatin1());
        block.append(row);
    }
    return block;
}

GridBlock Lines(int count, const QByteArray &line)
{
    return GridBlock(count, {line});
}

} // namespace

Q_DECLARE_METATYPE(GridRect)

class TestGridCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void selectionText_data()
    {
        QTest::addColumn<Rows>("cells");
        QTest::addColumn<GridRect>("selection");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("block, empty lower left") << Rows{{"A", "B"}, {"", "D"}} << GridRect{1, 1, 2, 2}
                                                 << QByteArray("A\tB\r\n\tD\r\n");
        QTest::newRow("space quoted") << Rows{{"a b"}} << GridRect{1, 1, 1, 1} << QByteArray("\"a b\"\r\n");
        QTest::newRow("quote doubled") << Rows{{"say \"hi\""}} << GridRect{1, 1, 1, 1}
                                       << QByteArray("\"say \"\"hi\"\"\"\r\n");
        QTest::newRow("apostrophe, comma") << Rows{{"it's", "1,2"}} << GridRect{1, 1, 2, 1}
                                           << QByteArray("\"it's\"\t\"1,2\"\r\n");
        QTest::newRow("tab quoted") << Rows{{"a\tb"}} << GridRect{1, 1, 1, 1} << QByteArray("\"a\tb\"\r\n");
        QTest::newRow("empty cells") << Rows{} << GridRect{1, 2, 2, 3} << QByteArray("\t\r\n\t\r\n");
        QTest::newRow("row numbers column") << Rows{{"x"}} << GridRect{0, 1, 1, 1} << QByteArray("1\tx\r\n");
    }
    void selectionText()
    {
        QFETCH(Rows, cells);
        QFETCH(GridRect, selection);
        QFETCH(QByteArray, text);
        StringGrid grid = Table(cells);
        grid.setSelection(selection);
        QCOMPARE(GridBlockText(GridSelectionBlock(grid)), text);
    }

    void clipboardTextSplitsAtTabsOnly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::newRow("empty cells between tabs") << u"\tb\t\r\n"_qs << QList<QStringList>{{u""_qs, u"b"_qs, u""_qs}};
        QTest::newRow("blanks kept") << u" 東京 本社\t4901234"_qs
                                     << QList<QStringList>{{u" 東京 本社"_qs, u"4901234"_qs}};
        QTest::newRow("quoted tab, line break, doubled quote")
            << u"\"a\tb\"\t\"1\r\n2\"\r\n\"say \"\"hi\"\"\"\n"_qs
            << QList<QStringList>{{u"a\tb"_qs, u"1\r\n2"_qs}, {u"say \"hi\""_qs}};
        QTest::newRow("quote inside a field is text") << u"5\" disk"_qs << QList<QStringList>{{u"5\" disk"_qs}};
        QTest::newRow("lone CR, lone LF, empty line") << u"a\rb\n\nc"_qs
                                                      << QList<QStringList>{{u"a"_qs}, {u"b"_qs}, {u""_qs}, {u"c"_qs}};
        QTest::newRow("NUL ends the text") << QString(u"a\r\nb\0c"_qs) << QList<QStringList>{{u"a"_qs}, {u"b"_qs}};
        QTest::newRow("nothing") << QString() << QList<QStringList>{};
    }
    void clipboardTextSplitsAtTabsOnly()
    {
        QFETCH(QString, text);
        QFETCH(QList<QStringList>, rows);
        QCOMPARE(ParseClipboardText(text), rows);
    }

    void privateBlockFormatKeepsEveryByte()
    {
        const GridBlock block{{QByteArray("\x81\x7f\xff"), QByteArray()}, {QByteArray("a\tb\r\n"), QByteArray("x")}};
        QCOMPARE(DeserializeGridBlock(SerializeGridBlock(block)), block);
        QVERIFY(DeserializeGridBlock("plain text").isEmpty());
    }

    void pasteAtCell_data()
    {
        QTest::addColumn<QByteArray>("clip");
        QTest::addColumn<GridRect>("at");
        QTest::addColumn<Rows>("expected");   // rows 1..3
        QTest::addColumn<GridRect>("filled");
        QTest::newRow("block with empty lower left")
            << QByteArray("A\tB\r\n\tD\r\n") << GridRect{1, 1, 1, 1}
            << Rows{{"A", "B"}, {"", "D"}, {"x3", "y3"}} << GridRect{1, 1, 2, 2};
        QTest::newRow("unquoted space kept") << QByteArray("a b\r\n") << GridRect{1, 2, 1, 2}
                                             << Rows{{"x1", "y1"}, {"a b", "y2"}, {"x3", "y3"}} << GridRect{1, 2, 1, 2};
        QTest::newRow("quoted keeps blanks") << QByteArray("\"a b\"\r\n") << GridRect{1, 1, 1, 1}
                                             << Rows{{"a b", "y1"}, {"x2", "y2"}, {"x3", "y3"}} << GridRect{1, 1, 1, 1};
        QTest::newRow("third field dropped") << QByteArray("p\tq\tr") << GridRect{1, 1, 1, 1}
                                             << Rows{{"p", "q"}, {"x2", "y2"}, {"x3", "y3"}} << GridRect{1, 1, 2, 1};
        QTest::newRow("at the barcode column") << QByteArray("p\tq") << GridRect{2, 3, 2, 3}
                                               << Rows{{"x1", "y1"}, {"x2", "y2"}, {"x3", "p"}} << GridRect{2, 3, 2, 3};
        QTest::newRow("lone CR and LF") << QByteArray("a\rb\nc") << GridRect{2, 1, 2, 1}
                                        << Rows{{"x1", "a"}, {"x2", "b"}, {"x3", "c"}} << GridRect{2, 1, 2, 3};
        QTest::newRow("empty line empties its cell") << QByteArray("a\r\n\r\nc\r\n") << GridRect{1, 1, 1, 1}
                                                     << Rows{{"a", "y1"}, {"", "y2"}, {"c", "y3"}} << GridRect{1, 1, 1, 3};
        QTest::newRow("NUL ends the text") << QByteArray("a\r\nb\0c", 6) << GridRect{1, 1, 1, 1}
                                           << Rows{{"a", "y1"}, {"b", "y2"}, {"x3", "y3"}} << GridRect{1, 1, 1, 2};
        QTest::newRow("no lines") << QByteArray() << GridRect{2, 2, 2, 2}
                                  << Rows{{"x1", "y1"}, {"x2", "y2"}, {"x3", "y3"}} << GridRect{2, 2, 2, 2};
    }
    void pasteAtCell()
    {
        QFETCH(QByteArray, clip);
        QFETCH(GridRect, at);
        QFETCH(Rows, expected);
        QFETCH(GridRect, filled);
        StringGrid grid = Table({{"x1", "y1"}, {"x2", "y2"}, {"x3", "y3"}});
        grid.setSelection(at);
        QCOMPARE(GridPasteAtCell(grid, Block(clip)), filled);
        QCOMPARE(TopRows(grid, 3), expected);
    }

    void pastingMoreLinesThanRowsStopsAtTheLastRow()
    {
        StringGrid grid = Table({});
        grid.setSelection({1, 1, 1, 1});
        QCOMPARE(GridPasteAtCell(grid, Lines(600, "v")), (GridRect{1, 1, 1, 512}));
        QCOMPARE(grid.rowCount(), 513);
        QCOMPARE(Column(grid, 1, 512), QByteArrayList(512, "v"));
        grid.setSelection({2, 510, 2, 510});
        QCOMPARE(GridPasteAtCell(grid, Lines(5, "w")), (GridRect{2, 510, 2, 512}));
    }

    void pasteIntoSelection_data()
    {
        QTest::addColumn<QByteArray>("clip");
        QTest::addColumn<GridRect>("selection");
        QTest::addColumn<Rows>("expected");   // rows 1..3
        QTest::newRow("block with empty lower left empties lower right")
            << QByteArray("A\tB\r\n\tD\r\n") << GridRect{1, 1, 2, 2} << Rows{{"A", "B"}, {"", "D"}, {"x3", "y3"}};
        QTest::newRow("lines are not repeated") << QByteArray("a\r\n") << GridRect{2, 1, 2, 3}
                                                << Rows{{"x1", "a"}, {"x2", ""}, {"x3", ""}};
        QTest::newRow("extra fields and lines dropped") << QByteArray("a\tb\r\nc\td\r\ne\r\n") << GridRect{1, 1, 1, 2}
                                                        << Rows{{"a", "y1"}, {"c", "y2"}, {"x3", "y3"}};
        QTest::newRow("no lines empties the block") << QByteArray("") << GridRect{1, 2, 2, 3}
                                                    << Rows{{"x1", "y1"}, {"", ""}, {"", ""}};
    }
    void pasteIntoSelection()
    {
        QFETCH(QByteArray, clip);
        QFETCH(GridRect, selection);
        QFETCH(Rows, expected);
        StringGrid grid = Table({{"x1", "y1"}, {"x2", "y2"}, {"x3", "y3"}});
        grid.setSelection(selection);
        QCOMPARE(GridPasteIntoSelection(grid, Block(clip)), selection);
        QCOMPARE(TopRows(grid, 3), expected);
    }

    void deletingRowsMovesTheRestUpWithTheirNumbers()
    {
        StringGrid grid = Table({});
        for (int r = 1; r <= 512; ++r)
            grid.setCell(2, r, QByteArray::number(r * 10));
        GridDeleteRow(grid, 3, 2);
        QCOMPARE(grid.rowCount(), 511);
        grid.setRowCount(513);
        QCOMPARE(grid.cell(0, 3), QByteArray("5"));
        QCOMPARE(grid.cell(2, 3), QByteArray("50"));
        QCOMPARE(grid.cell(0, 510), QByteArray("512"));
        QCOMPARE(grid.cell(2, 2), QByteArray("20"));
        for (int r : {511, 512})
            for (int c = 0; c < 3; ++c)
                QVERIFY(grid.cell(c, r).isEmpty());
        QCOMPARE(grid.cell(1, 0), QByteArray("conv str"));
    }

    void deletingTooManyRowsRaisesAndChangesNothing_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("refused");
        QTest::newRow("all 512") << 1 << 512 << true;
        QTest::newRow("more than there are") << 1 << 600 << true;
        QTest::newRow("511 leaves one") << 1 << 511 << false;
        QTest::newRow("past the end is cut to the end") << 500 << 20 << false;
    }
    void deletingTooManyRowsRaisesAndChangesNothing()
    {
        QFETCH(int, first);
        QFETCH(int, count);
        QFETCH(bool, refused);
        StringGrid grid = Table({{"a", "b"}});
        for (int r = 1; r <= 512; ++r)
            grid.setCell(1, r, QByteArray::number(r));
        QString error;
        try {
            GridDeleteRow(grid, first, count);
        } catch (const OstrelError &e) {
            error = e.message();
        }
        QCOMPARE(error, refused ? u"GridDeleteRow; row count too few"_qs : QString());
        const int kept = refused ? 513 : 513 - std::min(count, 513 - first);
        QCOMPARE(grid.rowCount(), kept);
        // Rows above first never move.
        for (int r = 1; r < std::min(first, kept); ++r)
            QCOMPARE(grid.cell(1, r), QByteArray::number(r));
    }

    void insertingRowsPushesTheLastOnesOut()
    {
        StringGrid grid = Table({});
        for (int r = 1; r <= 512; ++r)
            grid.setCell(2, r, QByteArray::number(r * 10));
        GridInsertRow(grid, 3, 2);
        QCOMPARE(grid.rowCount(), 515);
        grid.setRowCount(513);
        for (int r : {3, 4})
            for (int c = 0; c < 3; ++c)
                QVERIFY(grid.cell(c, r).isEmpty());
        QCOMPARE(grid.cell(0, 5), QByteArray("3"));
        QCOMPARE(grid.cell(2, 5), QByteArray("30"));
        QCOMPARE(grid.cell(2, 512), QByteArray("5100"));
        QCOMPARE(grid.cell(2, 2), QByteArray("20"));
    }

    void comparisons_data()
    {
        QTest::addColumn<bool>("numeric");
        QTest::addColumn<int>("direction");
        QTest::addColumn<QByteArray>("a");
        QTest::addColumn<QByteArray>("b");
        QTest::addColumn<int>("sign");   // a at row 1, b at row 2
        QTest::newRow("text asc") << false << 1 << QByteArray("B") << QByteArray("a") << 1;
        QTest::newRow("text desc") << false << -1 << QByteArray("B") << QByteArray("a") << -1;
        QTest::newRow("case folded, former row decides") << false << 1 << QByteArray("abc") << QByteArray("ABC") << -1;
        QTest::newRow("case folded desc, later row first") << false << -1 << QByteArray("abc") << QByteArray("ABC") << 1;
        QTest::newRow("prefix shorter first") << false << 1 << QByteArray("AB") << QByteArray("A") << 1;
        QTest::newRow("letters only are folded") << false << 1 << QByteArray("_") << QByteArray("a") << 1;
        QTest::newRow("non-ASCII not folded") << false << 1 << QByteArray("\xe0") << QByteArray("\xc0") << 1;
        QTest::newRow("bytes unsigned") << false << 1 << QByteArray("\x83") << QByteArray("z") << 1;
        QTest::newRow("empty last asc") << false << 1 << QByteArray() << QByteArray("z") << 1;
        QTest::newRow("empty last desc") << false << -1 << QByteArray() << QByteArray("z") << 1;
        QTest::newRow("both empty asc") << false << 1 << QByteArray() << QByteArray() << -1;
        QTest::newRow("both empty desc") << false << -1 << QByteArray() << QByteArray() << 1;
        QTest::newRow("numbers asc") << true << 1 << QByteArray("10") << QByteArray("9") << 1;
        QTest::newRow("numbers desc") << true << -1 << QByteArray("10") << QByteArray("9") << -1;
        QTest::newRow("empty is 999") << true << 1 << QByteArray() << QByteArray("998") << 1;
        QTest::newRow("text is 999") << true << 1 << QByteArray("x") << QByteArray("1000") << -1;
        QTest::newRow("999 ties by row") << true << 1 << QByteArray("999") << QByteArray("") << -1;
        QTest::newRow("999 ties by row desc") << true << -1 << QByteArray("999") << QByteArray("") << 1;
    }
    void comparisons()
    {
        QFETCH(bool, numeric);
        QFETCH(int, direction);
        QFETCH(QByteArray, a);
        QFETCH(QByteArray, b);
        QFETCH(int, sign);
        const GridSortComparison compare = GridSortComparisonFor(numeric ? 0 : 2, direction);
        const int result = compare({a, 1}, {b, 2});
        QCOMPARE(result < 0 ? -1 : 1, sign);
        QCOMPARE(compare({b, 2}, {a, 1}) < 0 ? -1 : 1, -sign);
    }

    void sortingMovesWholeRowsAndKeepsEqualKeysStable_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<QByteArrayList>("numbers");   // row numbers of rows 1..7 after the sort
        QTest::addColumn<QByteArray>("lastNumber");
        // Barcodes of rows 1..6: "b", "", "A", "a", "B", "c"; rows 7..512 empty.
        QTest::newRow("ascending") << 1 << QByteArrayList{"3", "4", "1", "5", "6", "2", "7"} << QByteArray("512");
        QTest::newRow("descending") << -1 << QByteArrayList{"6", "5", "1", "4", "3", "512", "511"} << QByteArray("2");
    }
    void sortingMovesWholeRowsAndKeepsEqualKeysStable()
    {
        QFETCH(int, direction);
        QFETCH(QByteArrayList, numbers);
        QFETCH(QByteArray, lastNumber);
        StringGrid grid = Table({{"r1", "b"}, {"r2", ""}, {"r3", "A"}, {"r4", "a"}, {"r5", "B"}, {"r6", "c"}});
        GridSortByColumn(grid, 2, GridSortComparisonFor(2, direction));
        QCOMPARE(Column(grid, 0, 7), numbers);
        for (int r = 1; r <= 5; ++r)
            QCOMPARE(grid.cell(1, r), "r" + grid.cell(0, r));
        QCOMPARE(grid.cell(0, 512), lastNumber);
        QCOMPARE(grid.cell(1, 0), QByteArray("conv str"));
    }

    void sortingByNumberRestoresTheOrderAfterMoves()
    {
        StringGrid grid = Table({});
        GridMoveRow(grid, 5, 2);
        GridMoveRow(grid, 100, 1);
        grid.setCell(0, 7, QByteArray());   // a row without number sorts as 999
        GridSortByColumn(grid, 0, GridSortComparisonFor(0, 1));
        QByteArrayList expected;
        for (int r = 1; r <= 512; ++r)
            if (r != 6)   // the 7th row after the moves held number 6
                expected.append(QByteArray::number(r));
        expected.append(QByteArray());
        QCOMPARE(Column(grid, 0, 512), expected);
    }

    void selectAllThenCopyGives512LinesOfTwoCells()
    {
        StringGrid grid = Table({{"a", "b"}});
        GridSelectAll(grid);
        QCOMPARE(grid.selection(), (GridRect{1, 1, 2, 512}));
        const QByteArray text = GridBlockText(GridSelectionBlock(grid));
        QCOMPARE(text.count("\r\n"), 512);
        QCOMPARE(text.count('\t'), 512);
        QVERIFY(text.startsWith("a\tb\r\n\t\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestGridCommands)
#include "test_grid_commands.moc"
