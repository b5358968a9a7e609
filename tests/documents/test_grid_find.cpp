#include "common/zered_error.h"
#include "documents/grid_find.h"
#include "documents/table_document.h"

#include <QTest>

namespace {

// The table of the search cases: barcodes in rows 5 and 9, a few other texts.
void Fill(TableDocument &doc)
{
    doc.setCell(2, 5, "4905678");
    doc.setCell(2, 9, "4905678");
    doc.setCell(1, 3, "abc");
    doc.setCell(1, 4, "xAbCx");
    doc.setCell(1, 6, "ABC");
    doc.setCell(1, 7, "ABCD");
    doc.setCell(1, 8, "\x95\xcf\x8a\xb7");   // 変換 in CP932
}

} // namespace

Q_DECLARE_METATYPE(GridCell)

class TestGridFind : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void steps_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<GridCell>("from");
        QTest::addColumn<bool>("down");
        QTest::addColumn<bool>("findNext");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<bool>("wholeWord");
        QTest::addColumn<GridCell>("found");
        QTest::newRow("row numbers are cells too") << u"12"_qs << GridCell{1, 1} << true << true << false << false
                                                   << GridCell{0, 12};
        QTest::newRow("first barcode") << u"4905678"_qs << GridCell{0, 1} << true << true << false << false
                                       << GridCell{2, 5};
        QTest::newRow("next barcode") << u"4905678"_qs << GridCell{2, 5} << true << true << false << false
                                      << GridCell{2, 9};
        QTest::newRow("wraps to the first") << u"4905678"_qs << GridCell{2, 9} << true << true << false << false
                                            << GridCell{2, 5};
        QTest::newRow("up from the second") << u"4905678"_qs << GridCell{2, 9} << false << true << false << false
                                            << GridCell{2, 5};
        QTest::newRow("up wraps") << u"4905678"_qs << GridCell{2, 5} << false << true << false << false
                                  << GridCell{2, 9};
        QTest::newRow("only the current cell") << u"xAbCx"_qs << GridCell{1, 4} << true << true << true << false
                                               << GridCell{1, 4};
        QTest::newRow("without find next the current cell counts") << u"abc"_qs << GridCell{1, 3} << true << false
                                                                   << false << false << GridCell{1, 3};
        QTest::newRow("case folded, substring") << u"ABC"_qs << GridCell{1, 1} << true << true << false << false
                                                << GridCell{1, 3};
        QTest::newRow("case folded finds xAbCx") << u"ABC"_qs << GridCell{1, 3} << true << true << false << false
                                                 << GridCell{1, 4};
        QTest::newRow("match case, whole word") << u"ABC"_qs << GridCell{1, 1} << true << true << true << true
                                                << GridCell{1, 6};
        QTest::newRow("header title") << u"bar code"_qs << GridCell{2, 512} << true << true << false << false
                                      << GridCell{2, 0};
        QTest::newRow("Japanese text") << u"換"_qs << GridCell{0, 1} << true << true << false << false
                                       << GridCell{1, 8};
        QTest::newRow("empty whole word is the next empty cell") << QString() << GridCell{0, 1} << true << true
                                                                 << false << true << GridCell{1, 1};
    }
    void steps()
    {
        QFETCH(QString, text);
        QFETCH(GridCell, from);
        QFETCH(bool, down);
        QFETCH(bool, findNext);
        QFETCH(bool, matchCase);
        QFETCH(bool, wholeWord);
        QFETCH(GridCell, found);
        TableDocument doc;
        Fill(doc);
        doc.setCurrent(from.col, from.row);
        QString searched;
        const GridCell cell = FindInGrid(doc.grid(), text, {down, findNext, matchCase, wholeWord}, searched);
        QCOMPARE(cell.col, found.col);
        QCOMPARE(cell.row, found.row);
        QCOMPARE(searched, matchCase ? text : text.toLower());
    }

    void noMatchNamesTheText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<QString>("message");
        QTest::newRow("lower-cased without match case") << u"NOWHERE"_qs << false << u"NOT FOUND[nowhere]"_qs;
        QTest::newRow("as typed with match case") << u"NOWHERE"_qs << true << u"NOT FOUND[NOWHERE]"_qs;
        QTest::newRow("nothing typed") << QString() << false << u"NOT FOUND[]"_qs;
    }
    void noMatchNamesTheText()
    {
        QFETCH(QString, text);
        QFETCH(bool, matchCase);
        QFETCH(QString, message);
        TableDocument doc;
        Fill(doc);
        QString searched, raised;
        try {
            FindInGrid(doc.grid(), text, {true, true, matchCase, false}, searched);
        } catch (const OstrelError &e) {
            raised = e.message();
        }
        QCOMPARE(raised, message);
    }
};

QTEST_GUILESS_MAIN(TestGridFind)
#include "test_grid_find.moc"
