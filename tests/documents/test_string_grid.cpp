#include "documents/string_grid.h"

#include <QTest>

namespace {
struct Recorder : GridObserver
{
    QList<GridRect> changes;
    int resets = 0;
    void gridCellsChanged(const GridRect &area) override { changes.append(area); }
    void gridReset() override { ++resets; }
};
} // namespace

class TestStringGrid : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cellsOutsideReadEmptyAndIgnoreWrites()
    {
        StringGrid g(3, 4);
        g.setCell(3, 0, "x");
        g.setCell(0, 4, "x");
        g.setCell(-1, 1, "x");
        QVERIFY(g.cell(3, 0).isEmpty());
        QVERIFY(g.cell(-1, 1).isEmpty());
        g.setCell(2, 3, "last");
        QCOMPARE(g.cell(2, 3), QByteArray("last"));
        QVERIFY(g.cell(1, 3).isEmpty());
    }

    void rowCountKeepsOldRowsAndEmptiesNewOnes()
    {
        StringGrid g(2, 3);
        g.setCell(1, 1, "a");
        g.setCell(1, 2, "b");
        g.setRowCount(2);
        g.setRowCount(4);
        QCOMPARE(g.rowCount(), 4);
        QCOMPARE(g.cell(1, 1), QByteArray("a"));
        QVERIFY(g.cell(1, 2).isEmpty());
        QVERIFY(g.cell(1, 3).isEmpty());
    }

    void changesOutsideUpdateAreToldOneByOne()
    {
        StringGrid g(3, 5);
        Recorder r;
        g.addObserver(&r);
        g.setCell(1, 2, "a");
        g.setCell(1, 2, "a");   // same text: nothing to tell
        QCOMPARE(r.changes, (QList<GridRect>{{1, 2, 1, 2}}));
        g.setRowCount(6);
        QCOMPARE(r.resets, 1);
    }

    void nestedUpdateTellsOnceWithTheBoundingArea()
    {
        StringGrid g(3, 10);
        Recorder r;
        g.addObserver(&r);
        g.beginUpdate();
        g.setCell(2, 3, "a");
        g.beginUpdate();
        g.setCell(1, 7, "b");
        g.endUpdate();
        QVERIFY(r.changes.isEmpty());
        g.setCell(0, 5, "c");
        g.endUpdate();
        QCOMPARE(r.changes, (QList<GridRect>{{0, 3, 2, 7}}));
        QCOMPARE(r.resets, 0);

        g.beginUpdate();
        g.setCell(1, 1, "x");
        g.setRowCount(4);
        g.endUpdate();
        QCOMPARE(r.resets, 1);
        QCOMPARE(r.changes.size(), 1);   // the reset covers the cell change

        g.beginUpdate();
        g.endUpdate();   // nothing changed
        QCOMPARE(r.changes.size(), 1);
        QCOMPARE(r.resets, 1);
    }

    void shrinkingPullsCursorAndSelectionInside()
    {
        StringGrid g(3, 10);
        g.setCurrent(1, 9);
        g.setSelection({1, 5, 2, 9});
        g.setRowCount(4);
        QCOMPARE(g.row(), 3);
        QCOMPARE(g.selection(), (GridRect{1, 3, 2, 3}));
    }
};

QTEST_GUILESS_MAIN(TestStringGrid)
#include "test_string_grid.moc"
