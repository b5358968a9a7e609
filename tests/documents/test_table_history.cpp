#include "common/codepage.h"
#include "documents/grid_commands.h"
#include "documents/table_document.h"
#include "documents/table_undo_stack.h"
#include "log_capture.h"
#include "message_of.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <functional>

namespace {

using Command = std::function<void(TableDocument &)>;

// Each kind of step by a name of its own.
const TableUndoStack::StepNames StepNames{u"typing"_qs, u"cut"_qs,   u"paste"_qs, u"delete"_qs, u"insert"_qs,
                                          u"sort"_qs,   u"clear"_qs, u"move"_qs,  u"receive"_qs, u"reload"_qs,
                                          u"replace"_qs, u"fill down"_qs, u"fill series"_qs};

// A document with the history a table window gives it.
struct Table
{
    TableDocument d;
    QUndoStack *history;
    Table()
    {
        auto *undo = new TableUndoStack(d, StepNames);
        d.setHistory(undo);
        history = undo->undoStack();
    }
    bool atSaved() const { return !d.isModified(); }
};

// A table worth changing: rows 1..6 filled, one barcode that is no CP932 text,
// row 3 selected across both columns, the cursor on its left cell.
void Fill(TableDocument &d)
{
    const QByteArrayList bars{"490", "\x81\x7f\xfe", "", "b", "A", "z z"};
    for (int r = 1; r <= 6; ++r) {
        d.setCell(ConvStrColumn, r, "conv " + QByteArray::number(r));
        d.setCell(BarcodeColumn, r, bars[r - 1]);
    }
    d.setCell(BarcodeColumn, 512, "last");
    d.setSelection({1, 3, 2, 3});
    d.setCurrent(1, 3);
}

struct Filled : Table
{
    Filled() { Fill(d); }
};

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
        QTest::newRow("sort by a title") << Command([](TableDocument &d) {
            d.SortByColumn(2, TableDocument::RowNumbers::Stay);
        }) << int(EditStep::Sort) << row3;
        QTest::newRow("replace all") << Command([](TableDocument &d) {
            d.ReplaceCells(d.PlanReplace(CellReplacer(u"conv"_qs, u"C"_qs, {})));
        }) << int(EditStep::Replace) << row3;
        QTest::newRow("fill down") << Command([](TableDocument &d) { d.FillDown(); }) << int(EditStep::FillDown) << row3;
        QTest::newRow("fill series") << Command([](TableDocument &d) { d.FillSeries(); }) << int(EditStep::FillSeries)
                                     << GridRect{1, 1, 2, 6};
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
        Filled t;
        TableDocument &d = t.d;
        d.setSelection(selection);
        const QList<QByteArray> before = d.grid().cells();
        command(d);
        const QList<QByteArray> after = d.grid().cells();
        QVERIFY(after != before);
        QCOMPARE(d.grid().rowCount(), 513);
        QVERIFY(!t.atSaved());
        QVERIFY(t.history->canUndo());
        QCOMPARE(t.history->undoText(), StepNames[step]);

        t.history->undo();
        QCOMPARE(d.grid().cells(), before);
        QCOMPARE(d.grid().selection(), selection);
        QVERIFY(t.atSaved());
        QVERIFY(d.imageStale());   // the image follows the grid again before it is used
        QVERIFY(!t.history->canUndo());
        QCOMPARE(t.history->redoText(), StepNames[step]);

        t.history->redo();
        QCOMPARE(d.grid().cells(), after);
        QVERIFY(!t.atSaved());
        QVERIFY(!t.history->canRedo());
    }

    // What the grid's view redraws from: one announcement per change, covering
    // what it changed, and none for what changed nothing.
    void everyChangeIsAnnouncedOnceWithItsArea_data()
    {
        QTest::addColumn<Command>("change");
        QTest::addColumn<QList<GridRect>>("areas");
        QTest::addColumn<int>("moves");   // of the selection or the cursor
        QTest::newRow("a cell") << Command([](TableDocument &d) { d.setCell(2, 9, "x"); })
                                << QList<GridRect>{{2, 9, 2, 9}} << 0;
        QTest::newRow("the same text") << Command([](TableDocument &d) { d.setCell(1, 1, "conv 1"); })
                                       << QList<GridRect>{} << 0;
        QTest::newRow("a cell outside") << Command([](TableDocument &d) { d.setCell(3, 1, "x"); })
                                        << QList<GridRect>{} << 0;
        QTest::newRow("the selection") << Command([](TableDocument &d) { d.setSelection({1, 5, 2, 9}); })
                                       << QList<GridRect>{} << 1;
        QTest::newRow("a paste at the cursor") << Command([](TableDocument &d) {
            d.MoveCursor(1, 3);
            d.PasteBlock({{"p"}, {"q", "r"}});
        }) << QList<GridRect>{{1, 3, 2, 4}} << 2;
        QTest::newRow("a row moved") << Command([](TableDocument &d) { d.MoveRow(5, 2); })
                                     << QList<GridRect>{{0, 2, 2, 5}} << 0;
        QTest::newRow("rows deleted") << Command([](TableDocument &d) { d.DeleteSelectedRows(); })
                                      << QList<GridRect>{{0, 3, 2, 512}} << 0;
        QTest::newRow("an undo") << Command([](TableDocument &d) {
            d.EditCell(2, 6, "typed");
            d.MoveCursor(1, 1);
            d.findChild<TableUndoStack *>()->undoStack()->undo();
        }) << QList<GridRect>{{2, 6, 2, 6}, {2, 6, 2, 6}} << 2;
        QTest::newRow("a refused paste") << Command([](TableDocument &d) { messageOf([&] { d.PasteText(u"\u20AC"_qs); }); })
                                         << QList<GridRect>{} << 0;
    }
    void everyChangeIsAnnouncedOnceWithItsArea()
    {
        QFETCH(Command, change);
        QFETCH(QList<GridRect>, areas);
        QFETCH(int, moves);
        LogCapture log;
        Filled t;
        QSignalSpy cells(&t.d, &TableDocument::cellsChanged), places(&t.d, &TableDocument::selectionChanged);
        change(t.d);
        QList<GridRect> told;
        for (const QList<QVariant> &signal : std::as_const(cells))
            told.append(signal.at(0).value<GridRect>());
        QCOMPARE(told, areas);
        QCOMPARE(places.count(), moves);
    }

    void aCommandThatChangesNothingLeavesNoStep()
    {
        Filled t;
        t.d.EditCell(1, 1, "conv 1");
        t.d.setSelection({1, 100, 2, 120});
        t.d.CutSelection();
        QVERIFY(!t.history->canUndo());
        QVERIFY(t.atSaved());
    }

    void aRefusedCommandChangesNothing_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QString>("message");
        QTest::newRow("all rows deleted") << Command([](TableDocument &d) {
            d.SelectAll();
            d.DeleteSelectedRows();
        }) << u"GridDeleteRow; row count too few"_qs;
        QTest::newRow("character CP932 cannot hold") << Command([](TableDocument &d) {
            d.setSelection({1, 2, 1, 2});
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
        Filled t;
        const QList<QByteArray> before = t.d.grid().cells();
        QSignalSpy told(&t.d, &TableDocument::cellsChanged);
        QCOMPARE(messageOf([&] { command(t.d); }), message);
        QCOMPARE(t.d.grid().cells(), before);
        QCOMPARE(t.d.grid().rowCount(), 513);
        QVERIFY(!t.history->canUndo());
        QCOMPARE(told.count(), 0);
    }

    void aCopiedBlockPastesBackIdentically()
    {
        // Empty cells, blanks, quotes and Japanese text, through the clipboard's text.
        TableDocument d;
        const StringGrid &g = d.grid();
        const QList<QByteArrayList> rows{{"", "a b"}, {" lead", ""}, {"say \"hi\"", "\x95\xcf\x8a\xb7 x"}, {"", ""}};
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < 2; ++c)
                d.setCell(c + 1, r + 1, rows[r][c]);
        d.setSelection({1, 1, 2, 4});
        const QString text = DecodeCp932(GridBlockText(GridSelectionBlock(g)));
        d.setSelection({1, 101, 1, 101});
        d.setCell(2, 104, "kept?");
        d.PasteText(text);
        for (int r = 0; r < rows.size(); ++r)
            QCOMPARE((QByteArrayList{g.cell(1, 101 + r), g.cell(2, 101 + r)}), rows[r]);
        QCOMPARE(g.selection(), (GridRect{1, 101, 2, 104}));
    }

    void spreadsheetRowsFillTheirColumns()
    {
        TableDocument d;
        d.setSelection({1, 1, 1, 1});
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
        Filled t;
        t.d.setSelection(selection);
        QCOMPARE(t.d.RowsLostByInsert(), lost);
    }

    void undoingBackToTheSavedStateClearsTheMark()
    {
        Filled t;
        TableDocument &d = t.d;
        QUndoStack &h = *t.history;
        QSignalSpy marks(&d, &TableDocument::modifiedChanged);
        d.EditCell(1, 1, "one");
        d.setModified(false);   // saved here
        d.EditCell(1, 1, "two");
        QVERIFY(!t.atSaved());
        h.undo();
        QVERIFY(t.atSaved());
        h.undo();
        QVERIFY(!t.atSaved());
        h.redo();
        d.EditCell(1, 2, "branch");   // the step after the saved state is gone
        h.undo();
        QVERIFY(t.atSaved());
        h.undo();
        d.EditCell(1, 3, "other branch");   // the saved state cannot be reached again
        while (h.canUndo())
            h.undo();
        for (; h.canRedo(); h.redo())
            QVERIFY(!t.atSaved());
        // Told at each change of the mark and only then.
        QList<bool> told;
        for (const QList<QVariant> &signal : std::as_const(marks))
            told.append(signal.at(0).toBool());
        QCOMPARE(told, (QList<bool>{true, false, true, false, true, false, true, false, true}));
    }

    void theHistoryKeepsTheLastHundredSteps()
    {
        Table t;
        for (int i = 1; i <= TableUndoStack::Limit + 20; ++i)
            t.d.EditCell(1, 1, QByteArray::number(i));
        int steps = 0;
        while (t.history->canUndo()) {
            t.history->undo();
            ++steps;
        }
        QCOMPARE(steps, TableUndoStack::Limit);
        QCOMPARE(t.d.grid().cell(1, 1), QByteArray("20"));
        QVERIFY(!t.atSaved());
    }

    void aTextSaveRenumbersWithoutLosingTheHistory()
    {
        QTemporaryDir dir;
        Filled t;
        TableDocument &d = t.d;
        d.MoveRow(5, 2);
        d.SaveToFile(dir.filePath(u"t.csv"_qs), 1);
        QVERIFY(t.atSaved());
        QCOMPARE(d.grid().cell(0, 2), QByteArray("2"));
        d.EditCell(1, 1, "after");
        t.history->undo();
        QVERIFY(t.atSaved());
        QCOMPARE(d.grid().cell(0, 2), QByteArray("2"));
        t.history->undo();
        QCOMPARE(d.grid().cell(0, 2), QByteArray("2"));
        QCOMPARE(d.grid().cell(1, 5), QByteArray("conv 5"));
    }
};

QTEST_GUILESS_MAIN(TestTableHistory)
#include "test_table_history.moc"
