#include "common/codepage.h"
#include "documents/grid_commands.h"
#include "documents/table_document.h"
#include "log_capture.h"
#include "message_of.h"

#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <functional>

namespace {

using Command = std::function<void(TableDocument &)>;

// A table worth changing: rows 1..6 filled, one barcode that is no CP932 text,
// row 3 selected across both columns, the cursor on its left cell.
void Fill(TableDocument &d)
{
    StringGrid &g = d.grid();
    const QByteArrayList bars{"490", "\x81\x7f\xfe", "", "b", "A", "z z"};
    for (int r = 1; r <= 6; ++r) {
        g.setCell(ConvStrColumn, r, "conv " + QByteArray::number(r));
        g.setCell(BarcodeColumn, r, bars[r - 1]);
    }
    g.setCell(BarcodeColumn, 512, "last");
    g.setSelection({1, 3, 2, 3});
    g.setCurrent(1, 3);
}

TableDocument Filled()
{
    TableDocument d;
    Fill(d);
    return d;
}

} // namespace

Q_DECLARE_METATYPE(Command)
Q_DECLARE_METATYPE(GridRect)

class TestTableHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyCommandUndoesAndRedoesToTheExactBytes_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<int>("step");
        QTest::addColumn<GridRect>("selection");
        const GridRect row3{1, 3, 2, 3};
        QTest::newRow("typing") << Command([](TableDocument &d) { d.EditCell(2, 3, "typed"); }) << int(EditStep::Typing) << row3;
        QTest::newRow("cut") << Command([](TableDocument &d) { d.CutSelection(); }) << int(EditStep::Cut) << row3;
        QTest::newRow("paste at a cell") << Command([](TableDocument &d) { d.PasteBlock(GridBlock(600, {"p", "q"})); })
                                         << int(EditStep::Paste) << GridRect{2, 2, 2, 2};
        QTest::newRow("paste into a block") << Command([](TableDocument &d) { d.PasteText(u"x\r\n"_qs); })
                                            << int(EditStep::Paste) << GridRect{1, 1, 2, 512};
        QTest::newRow("delete rows") << Command([](TableDocument &d) { d.DeleteSelectedRows(); })
                                     << int(EditStep::DeleteRows) << row3;
        QTest::newRow("insert rows") << Command([](TableDocument &d) { d.InsertSelectedRows(); })
                                     << int(EditStep::InsertRows) << row3;
        QTest::newRow("sort") << Command([](TableDocument &d) { d.SortByColumn(2); }) << int(EditStep::Sort) << row3;
        QTest::newRow("clear") << Command([](TableDocument &d) { d.Clear(); }) << int(EditStep::Clear) << row3;
        QTest::newRow("row moved") << Command([](TableDocument &d) { d.MoveRow(5, 2); }) << int(EditStep::MoveRow) << row3;
        QTest::newRow("received table") << Command([](TableDocument &d) {
            std::memset(d.image().data(), 'R', TableImageSize);
            d.ShowReceivedImage();
        }) << int(EditStep::Receive) << row3;
    }
    void everyCommandUndoesAndRedoesToTheExactBytes()
    {
        QFETCH(Command, command);
        QFETCH(int, step);
        QFETCH(GridRect, selection);
        LogCapture log;
        TableDocument d = Filled();
        d.grid().setSelection(selection);
        const QList<QByteArray> before = d.grid().cells();
        command(d);
        const QList<QByteArray> after = d.grid().cells();
        QVERIFY(after != before);
        QCOMPARE(d.grid().rowCount(), 513);
        QVERIFY(!d.AtSavedState());
        QVERIFY(d.CanUndo());
        QCOMPARE(int(d.UndoStep()), step);

        d.Undo();
        QCOMPARE(d.grid().cells(), before);
        QCOMPARE(d.grid().selection(), selection);
        QVERIFY(d.AtSavedState());
        QVERIFY(d.imageStale());   // the image follows the grid again before it is used
        QVERIFY(!d.CanUndo());
        QCOMPARE(int(d.RedoStep()), step);

        d.Redo();
        QCOMPARE(d.grid().cells(), after);
        QVERIFY(!d.AtSavedState());
        QVERIFY(!d.CanRedo());
    }

    void aCommandThatChangesNothingLeavesNoStep()
    {
        TableDocument d = Filled();
        d.EditCell(1, 1, "conv 1");
        d.grid().setSelection({1, 100, 2, 120});
        d.CutSelection();
        QVERIFY(!d.CanUndo());
        QVERIFY(d.AtSavedState());
    }

    void aRefusedCommandChangesNothing_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QString>("message");
        QTest::newRow("all rows deleted") << Command([](TableDocument &d) {
            GridSelectAll(d.grid());
            d.DeleteSelectedRows();
        }) << u"GridDeleteRow; row count too few"_qs;
        QTest::newRow("character CP932 cannot hold") << Command([](TableDocument &d) {
            d.grid().setSelection({1, 2, 1, 2});
            d.PasteText(u"ok\tok\r\ncaf\u00E9\r\n"_qs);
        }) << u"'\u00E9' (U+00E9) cannot be stored in row 3, conv str: Shift-JIS has no such character; nothing was changed"_qs;
        QTest::newRow("quoted line break") << Command([](TableDocument &d) {
            d.PasteText(u"a\t\"two\r\nlines\"\r\n"_qs);
        }) << u"row 3, bar code: a cell cannot hold a line break, a tab or a 0x00 byte; nothing was changed"_qs;
        QTest::newRow("quoted tab") << Command([](TableDocument &d) { d.PasteText(u"\"a\tb\""_qs); })
                                    << u"row 3, conv str: a cell cannot hold a line break, a tab or a 0x00 byte; nothing was changed"_qs;
    }
    void aRefusedCommandChangesNothing()
    {
        QFETCH(Command, command);
        QFETCH(QString, message);
        TableDocument d = Filled();
        const QList<QByteArray> before = d.grid().cells();
        QCOMPARE(messageOf([&] { command(d); }), message);
        QCOMPARE(d.grid().cells(), before);
        QCOMPARE(d.grid().rowCount(), 513);
        QVERIFY(!d.CanUndo());
    }

    void aCopiedBlockPastesBackIdentically()
    {
        // Empty cells, blanks, quotes and Japanese text, through the clipboard's text.
        TableDocument d;
        StringGrid &g = d.grid();
        const QList<QByteArrayList> rows{{"", "a b"}, {" lead", ""}, {"say \"hi\"", "\x95\xcf\x8a\xb7 x"}, {"", ""}};
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < 2; ++c)
                g.setCell(c + 1, r + 1, rows[r][c]);
        g.setSelection({1, 1, 2, 4});
        const QString text = DecodeCp932(GridBlockText(GridSelectionBlock(g)));
        g.setSelection({1, 101, 1, 101});
        g.setCell(2, 104, "kept?");
        d.PasteText(text);
        for (int r = 0; r < rows.size(); ++r)
            QCOMPARE((QByteArrayList{g.cell(1, 101 + r), g.cell(2, 101 + r)}), rows[r]);
        QCOMPARE(g.selection(), (GridRect{1, 101, 2, 104}));
    }

    void spreadsheetRowsFillTheirColumns()
    {
        TableDocument d;
        d.grid().setSelection({1, 1, 1, 1});
        d.PasteText(u"東京 本社\t4901234\r\n\"5\"\" disk\"\t\u301C\r\n"_qs);
        QCOMPARE(d.grid().cell(1, 1), EncodeCp932(u"東京 本社"_qs));
        QCOMPARE(d.grid().cell(2, 1), QByteArray("4901234"));
        QCOMPARE(d.grid().cell(1, 2), QByteArray("5\" disk"));
        QCOMPARE(d.grid().cell(2, 2), QByteArray("\x81\x60"));
    }

    void insertNamesTheFilledRowsItPushesOut_data()
    {
        QTest::addColumn<GridRect>("selection");
        QTest::addColumn<QList<int>>("lost");
        QTest::newRow("two rows push out 511 and 512") << GridRect{1, 3, 2, 4} << QList<int>{512};
        QTest::newRow("from row 510 to the end") << GridRect{1, 510, 1, 512} << QList<int>{512};
        QTest::newRow("the full table") << GridRect{1, 1, 2, 512} << QList<int>{1, 2, 3, 4, 5, 6, 512};
        QTest::newRow("nothing filled at the end") << GridRect{1, 1, 1, 1} << QList<int>{512};
    }
    void insertNamesTheFilledRowsItPushesOut()
    {
        QFETCH(GridRect, selection);
        QFETCH(QList<int>, lost);
        TableDocument d = Filled();
        d.grid().setSelection(selection);
        QCOMPARE(d.RowsLostByInsert(), lost);
    }

    void undoingBackToTheSavedStateClearsTheMark()
    {
        TableDocument d = Filled();
        d.EditCell(1, 1, "one");
        d.MarkSaved();   // saved here
        d.EditCell(1, 1, "two");
        QVERIFY(!d.AtSavedState());
        d.Undo();
        QVERIFY(d.AtSavedState());
        d.Undo();
        QVERIFY(!d.AtSavedState());
        d.Redo();
        d.EditCell(1, 2, "branch");   // the step after the saved state is gone
        d.Undo();
        QVERIFY(d.AtSavedState());
        d.Undo();
        d.EditCell(1, 3, "other branch");   // the saved state cannot be reached again
        while (d.CanUndo())
            d.Undo();
        for (; d.CanRedo(); d.Redo())
            QVERIFY(!d.AtSavedState());
    }

    void theHistoryKeepsTheLastHundredSteps()
    {
        TableDocument d;
        for (int i = 1; i <= EditHistory::Limit + 20; ++i)
            d.EditCell(1, 1, QByteArray::number(i));
        int steps = 0;
        while (d.CanUndo()) {
            d.Undo();
            ++steps;
        }
        QCOMPARE(steps, EditHistory::Limit);
        QCOMPARE(d.grid().cell(1, 1), QByteArray("20"));
        QVERIFY(!d.AtSavedState());
    }

    void aTextSaveRenumbersWithoutLosingTheHistory()
    {
        QTemporaryDir dir;
        TableDocument d = Filled();
        d.MoveRow(5, 2);
        d.SaveToFile(dir.filePath(u"t.csv"_qs), 1);
        d.MarkSaved();
        QCOMPARE(d.grid().cell(0, 2), QByteArray("2"));
        d.EditCell(1, 1, "after");
        d.Undo();
        QVERIFY(d.AtSavedState());
        QCOMPARE(d.grid().cell(0, 2), QByteArray("2"));
        d.Undo();
        QCOMPARE(d.grid().cell(0, 2), QByteArray("2"));
        QCOMPARE(d.grid().cell(1, 5), QByteArray("conv 5"));
    }
};

QTEST_GUILESS_MAIN(TestTableHistory)
#include "test_table_history.moc"
