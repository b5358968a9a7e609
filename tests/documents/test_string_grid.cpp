#include "documents/string_grid.h"

#include <QTest>

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

    void theTextACellHoldsLeavesTheListShared()
    {
        // A history keeps copies of the list; rewriting a cell as it is must not double them.
        StringGrid g(3, 4);
        g.setCell(1, 1, "a");
        const QList<QByteArray> kept = g.cells();
        g.setCell(1, 1, "a");
        QVERIFY(g.cells().constData() == kept.constData());
        g.setCell(1, 1, "b");
        QVERIFY(g.cells().constData() != kept.constData());
        QCOMPARE(kept[1 * 3 + 1], QByteArray("a"));
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
