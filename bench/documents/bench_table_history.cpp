// Undo and redo of the largest steps a table window takes (a 512-row paste, a
// sort, a clear), in milliseconds per operation, and the memory that 100
// full-table steps in one window's history cost (targets: under 5 ms each,
// under 20 MiB).

#include "documents/table_undo_stack.h"
#include "documents/textlist_form.h"
#include "test_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QUndoStack>
#include <cstdio>
#include <functional>

namespace {

// A full table's block whose every text names the round, so no two steps share a text.
GridBlock FullBlock(int round)
{
    GridBlock block;
    for (int row = 1; row <= TableRowCount; ++row)
        block.append({"conversion text " + QByteArray::number(round) + ", row " + QByteArray::number(row) + " \x95\x5C",
                      "4901234567" + QByteArray::number(round * 1000 + row)});
    return block;
}

void measureUndoRedo(const char *name, TTextList2Form &form, const std::function<void()> &step)
{
    QUndoStack &history = *form.undoStack();
    step();
    constexpr int Rounds = 200;
    QElapsedTimer timer;
    qint64 undo = 0, redo = 0, repaint = 0;
    auto timed = [&](qint64 &total, const std::function<void()> &op) {
        timer.start();
        op();
        total += timer.nsecsElapsed();
    };
    for (int i = 0; i < Rounds; ++i) {
        timed(undo, [&] { history.undo(); });
        timed(repaint, [] { QCoreApplication::processEvents(); });   // the view repaints, as on screen
        timed(redo, [&] { history.redo(); });
        timed(repaint, [] { QCoreApplication::processEvents(); });
    }
    std::printf("%-20s undo %6.3f ms, redo %6.3f ms (target < 5 ms); the view's repaint after each %6.3f ms\n",
                name, undo / 1e6 / Rounds, redo / 1e6 / Rounds, repaint / 1e6 / (2 * Rounds));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TTextList2Form form;
    form.resize(640, 460);
    form.show();
    TableDocument &d = form.document();

    d.SelectAll();
    measureUndoRedo("paste of 512 rows", form, [&] { d.PasteBlock(FullBlock(0)); });
    measureUndoRedo("sort by barcode", form, [&] { d.SortByColumn(BarcodeColumn); });
    measureUndoRedo("clear", form, [&] { d.Clear(); });

    // Memory: a fresh window, then 100 full-table steps of texts never seen before.
    auto *fresh = new TTextList2Form;
    fresh->show();
    QCoreApplication::processEvents();
    const long before = ResidentKiB();
    TableDocument &h = fresh->document();
    for (int round = 1; round <= TableUndoStack::Limit; ++round) {
        h.SelectAll();
        h.PasteBlock(FullBlock(round));
    }
    QCoreApplication::processEvents();
    const long after = ResidentKiB();
    std::printf("memory of 100 full-table steps in one window: %.1f MiB (target < 20 MiB)\n",
                (after - before) / 1024.0);
    delete fresh;
    return 0;
}
