#include "documents/textlist_form.h"
#include "documents/text_grid_header.h"
#include "documents/text_grid_view.h"
#include "shell/barcodemain.h"
#include "shell/find_commands.h"
#include "shell/find_dialog.h"
#include "shell_test_helpers.h"

#include <QAction>
#include <QMdiSubWindow>
#include <QTest>

class TestFindCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void findNextWalksTheMatchesAndWraps()
    {
        TOstrelMain main;
        main.show();
        TTextList2Form *form = main.NewDocument(QString());
        form->document().setCell(2, 5, "4905678");
        form->document().setCell(2, 9, "4905678");
        TFindDialog *dialog = main.findCommands().dialog();
        main.action(MainAction::SearchFind1)->trigger();
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->isModal());
        dialog->setFindText(u"4905678"_qs);
        Q_EMIT dialog->find();   // the dialog's Find Next button
        QCOMPARE(form->grid()->currentIndex(), form->grid()->model()->index(4, 1));
        main.action(MainAction::SearchFindNext1)->trigger();
        QCOMPARE(form->grid()->currentIndex(), form->grid()->model()->index(8, 1));
        main.action(MainAction::SearchFindNext1)->trigger();
        QCOMPARE(form->grid()->currentIndex(), form->grid()->model()->index(4, 1));
        QCOMPARE(form->SearchText(), u"4905678"_qs);
    }

    void aHitIsShownInSight_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("row");
        QTest::newRow("row number") << u"300"_qs << 0 << 300;
        QTest::newRow("column title") << u"bar code"_qs << 2 << 0;
        QTest::newRow("cell") << u"4905678"_qs << 2 << 500;
    }
    void aHitIsShownInSight()
    {
        QFETCH(QString, text);
        QFETCH(int, col);
        QFETCH(int, row);
        TOstrelMain main;
        main.show();
        TTextList2Form *form = main.NewDocument(QString());
        form->document().setCell(2, 500, "4905678");
        // The window reaches past the bottom of the document area.
        main.documentArea()->currentSubWindow()->move(0, main.documentArea()->viewport()->height() / 2);
        main.findCommands().dialog()->setFindText(text);
        main.action(MainAction::SearchFindNext1)->trigger();
        QCOMPARE(form->document().grid().col(), col);
        QCOMPARE(form->document().grid().row(), row);
        const QRect hit = form->CellRect({col, row});
        QVERIFY(main.documentArea()->viewport()->rect().contains(
            QRect(form->mapTo(main.documentArea()->viewport(), hit.topLeft()), hit.size())));
        // A header cell cannot hold the cursor; it is marked instead, until the cursor moves.
        auto *titles = static_cast<TextGridHeader *>(form->grid()->horizontalHeader());
        auto *numbers = static_cast<TextGridHeader *>(form->grid()->verticalHeader());
        QCOMPARE(titles->markedSection(), row == 0 ? col - 1 : -1);
        QCOMPARE(numbers->markedSection(), col == 0 ? row - 1 : -1);
        form->grid()->setCurrentIndex(form->grid()->model()->index(3, 1));
        QCOMPARE(titles->markedSection() + numbers->markedSection(), -2);
    }

    void aFailedSearchLogsAndKeepsTheCursor()
    {
        TOstrelMain main;
        TTextList2Form *form = main.NewDocument(QString());
        form->grid()->setCurrentIndex(form->grid()->model()->index(2, 0));
        main.findCommands().dialog()->setFindText(u"NoWhere"_qs);
        main.action(MainAction::SearchFindNext1)->trigger();
        QCOMPARE(LogLines(main).last(), u"NOT FOUND[nowhere]"_qs);
        QCOMPARE(form->grid()->currentIndex(), form->grid()->model()->index(2, 0));
    }

    void withoutATableWindowTheRequestIsIgnored()
    {
        TOstrelMain main;
        main.findCommands().dialog()->setFindText(u"x"_qs);
        main.findCommands().FindDialog1Find();
        QCOMPARE(LogLines(main), QStringList());
    }
};

QTEST_MAIN(TestFindCommands)
#include "test_find_commands.moc"
