#include "documents/textlist_form.h"
#include "documents/text_grid_view.h"
#include "shell/barcodemain.h"
#include "shell/find_commands.h"
#include "shell/find_dialog.h"
#include "shell_test_helpers.h"

#include <QAction>
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
        form->document().grid().setCell(2, 5, "4905678");
        form->document().grid().setCell(2, 9, "4905678");
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
