#include "common/zered_gui.h"
#include "documents/table_document.h"
#include "documents/textlist_form.h"
#include "fake_prompts.h"
#include "shell/barcodemain.h"
#include "shell/command_line.h"
#include "shell/file_commands.h"
#include "shell_test_helpers.h"
#include "test_support.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

namespace {

constexpr int CsvFilter = 1;
constexpr int BinaryFilter = 2;

QString AlreadyOpen(const QString &path)
{
    return u"'%1' is already open; its window is brought to the front"_qs.arg(path);
}

}   // namespace

class TestOpenFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void aFileOpenAlreadyComesToTheFront_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("forwarded") << u"forwarded"_qs;
        QTest::newRow("drop") << u"drop"_qs;
        QTest::newRow("open, CSV/text") << u"open text"_qs;
        QTest::newRow("open, binary") << u"open binary"_qs;
        QTest::newRow("recent entry") << u"recent"_qs;
#ifndef Q_OS_WIN
        // QFile::link makes a shell shortcut (.lnk) on Windows, which the file system does not follow.
        QTest::newRow("through a link") << u"link"_qs;
#endif
        QTest::newRow("another spelling") << u"spelling"_qs;
    }
    void aFileOpenAlreadyComesToTheFront()
    {
        QFETCH(QString, way);
        WindowOverFile w;
        w.edit("mine");
        TTextList2Form *other = w.main.NewDocument(QString());
        QString path = w.path;
        if (way == u"link") {
            path = w.dir.filePath(u"link.csv"_qs);
            QVERIFY(QFile::link(w.path, path));
        } else if (way == u"spelling") {
            path = w.dir.path() + u"//./t.csv"_qs;
        }
        if (way == u"forwarded" || way == u"link" || way == u"spelling") {
            w.main.CopyDataMessage(path);
        } else if (way == u"drop") {
            w.main.DropFiles({path});
        } else if (way == u"recent") {
            w.main.fileCommands().AddRecentFile(path);
            for (QAction *a : w.main.fileCommands().recentMenu()->actions())
                if (CaptionToPath(a->text()) == path)
                    a->trigger();
        } else {
            w.prompts.fileAnswers = {{{path}, way == u"open binary" ? BinaryFilter : CsvFilter}};
            w.main.action(MainAction::FileOpen1)->trigger();
        }
        QCOMPARE(WindowCount(w.main), 2);
        QCOMPARE(w.main.activeTable(), w.form);
        QVERIFY(w.main.activeTable() != other);
        QCOMPARE(w.doc().grid().cell(1, 1), QByteArray("mine"));   // the window as it was, edit kept
        QCOMPARE(LogLines(w.main).filter(u"already open"_qs), QStringList{AlreadyOpen(path)});
    }

    void aFileNamedTwiceOnTheCommandLineOpensOnce()
    {
        QTemporaryDir dir;
        const QString path = WriteFile(dir, u"t.csv"_qs, "a,1\r\n");
        FakePrompts prompts;
        TOstrelMain main({path, path});
        main.show();
        QCOMPARE(WindowCount(main), 1);
        QCOMPARE(LogLines(main).filter(u"already open"_qs), QStringList{AlreadyOpen(path)});
    }

    void aMinimizedWindowIsShownAgain()
    {
        WindowOverFile w;
        w.main.NewDocument(QString());
        auto *frame = qobject_cast<QMdiSubWindow *>(w.form->parentWidget());
        frame->showMinimized();
        QCOMPARE(w.main.OpenDocument(w.path), w.form);
        QVERIFY(!frame->isMinimized());
        QCOMPARE(w.main.activeTable(), w.form);
    }

    void saveAsOntoAFileOpenElsewhereIsRefused()
    {
        WindowOverFile w;
        TTextList2Form *other = w.main.NewDocument(QString());
        other->document().EditCell(1, 1, "other");
        w.prompts.fileAnswers = {{{w.path}, CsvFilter}};
        w.main.action(MainAction::FileSaveAs1)->trigger();
        QCOMPARE(FileBytes(w.path), QByteArray("conv,bar\r\n"));
        QCOMPARE(other->FileName(), QString());
        QCOMPARE(LogLines(w.main).last(),
                 u"cannot save to '%1': it is open in another window; save it there or close that window first"_qs.arg(
                     w.path));
    }

    void aSaveOverAChangedFileAsksFirst_data()
    {
        QTest::addColumn<QByteArray>("onDisk");   // what another program left in the file
        QTest::addColumn<ChangedFileAnswer>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("overwritten");
        const QByteArray theirs = "theirs,1\r\n";
        QTest::newRow("unchanged") << QByteArray("conv,bar\r\n") << ChangedFileAnswer::Cancel << false << true;
        QTest::newRow("same size, other bytes")
            << QByteArray("conv,baz\r\n") << ChangedFileAnswer::Cancel << true << false;
        QTest::newRow("overwrite") << theirs << ChangedFileAnswer::Overwrite << true << true;
        QTest::newRow("save as") << theirs << ChangedFileAnswer::SaveAs << true << false;
        QTest::newRow("cancel") << theirs << ChangedFileAnswer::Cancel << true << false;
    }
    void aSaveOverAChangedFileAsksFirst()
    {
        QFETCH(QByteArray, onDisk);
        QFETCH(ChangedFileAnswer, answer);
        QFETCH(bool, asked);
        QFETCH(bool, overwritten);
        for (const bool byClosing : {false, true}) {
            WindowOverFile w;
            w.edit("mine");
            w.changeOnDisk(onDisk);
            w.prompts.changedAnswers = {answer};
            const QString elsewhere = w.dir.filePath(u"elsewhere.csv"_qs);
            w.prompts.fileAnswers = {{{elsewhere}, CsvFilter}};
            if (byClosing) {
                w.prompts.saveAnswers = {SaveAnswer::Yes};
                w.main.documentArea()->currentSubWindow()->close();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            } else {
                w.main.action(MainAction::FileSaveOverwrite1)->trigger();
            }
            const QStringList changedQuestions = w.prompts.asked.filter(u"変更されています"_qs);
            QCOMPARE(changedQuestions.size(), asked ? 1 : 0);
            if (asked)
                QVERIFY(changedQuestions[0].startsWith(u"[t.csv*]"_qs));
            QCOMPARE(FileBytes(w.path).startsWith("mine,bar\r\n"), overwritten);
            if (!overwritten)
                QCOMPARE(FileBytes(w.path), onDisk);
            const bool savedAs = answer == ChangedFileAnswer::SaveAs;
            QCOMPARE(FileBytes(elsewhere).startsWith("mine,bar\r\n"), savedAs);
            // Only a save that went through ends the window (or its unsaved state).
            const bool saved = overwritten || savedAs;
            QCOMPARE(WindowCount(w.main), byClosing && saved ? 0 : 1);
            if (!byClosing) {
                QCOMPARE(w.form->IsModified(), !saved);
                QCOMPARE(w.form->FileName(), savedAs ? elsewhere : w.path);
            }
        }
    }

    void theChangedFileQuestionDefaultsToCancel_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Escape") << int(Qt::Key_Escape);
        QTest::newRow("Enter") << int(Qt::Key_Return);
    }
    void theChangedFileQuestionDefaultsToCancel()
    {
        QFETCH(int, key);
        QString buttons;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            for (QAbstractButton *b : box->buttons())
                buttons += b->text() + u'|';
            QTest::keyClick(box, Qt::Key(key));
        });
        QCOMPARE(Prompts().AskOverwriteChanged(u"question"_qs), ChangedFileAnswer::Cancel);
        QVERIFY(buttons.contains(u"&Overwrite|"_qs));
        QVERIFY(buttons.contains(u"Save &As ...|"_qs));
    }

    void aChangedFileIsOfferedAgainOnActivation_data()
    {
        QTest::addColumn<bool>("edited");
        QTest::addColumn<bool>("reloadAnswer");
        QTest::addColumn<bool>("reloaded");
        QTest::newRow("no unsaved changes: read again unasked") << false << false << true;
        QTest::newRow("unsaved changes, read again") << true << true << true;
        QTest::newRow("unsaved changes, kept") << true << false << false;
    }
    void aChangedFileIsOfferedAgainOnActivation()
    {
        QFETCH(bool, edited);
        QFETCH(bool, reloadAnswer);
        QFETCH(bool, reloaded);
        WindowOverFile w("conv,bar\r\nrow2,2\r\n");
        if (edited)
            w.edit("mine");
        w.changeOnDisk("theirs,1\r\n");
        w.prompts.confirmAnswer = reloadAnswer;
        w.activateAgain();
        QCOMPARE(w.prompts.asked.size(), edited ? 1 : 0);
        QCOMPARE(w.doc().grid().cell(1, 1), QByteArray(reloaded ? "theirs" : edited ? "mine" : "conv"));
        QCOMPARE(w.doc().grid().cell(1, 2), QByteArray(reloaded ? "" : "row2"));   // the file's one line only
        QCOMPARE(w.form->IsModified(), !reloaded);
        QCOMPARE(LogLines(w.main).contains(
                     u"'%1' was changed on disk and is read again (Undo brings back the table as it was)"_qs.arg(
                         w.path)),
                 !edited);
        // Asked once per change; a change kept out is not offered again.
        w.activateAgain();
        QCOMPARE(w.prompts.asked.size(), edited ? 1 : 0);
        if (reloaded) {
            // Undo brings back what the window held; the file's texts count as saved.
            w.form->Undo1Execute();
            QCOMPARE(w.doc().grid().cell(1, 1), QByteArray(edited ? "mine" : "conv"));
            QVERIFY(w.form->IsModified());
            w.form->Redo1Execute();
            QVERIFY(!w.form->IsModified());
        } else {
            // The save that follows still knows the file changed.
            w.main.action(MainAction::FileSaveOverwrite1)->trigger();
            QCOMPARE(FileBytes(w.path), QByteArray("theirs,1\r\n"));
        }
    }

    void reloadReadsTheFileAgainAsAStep_data()
    {
        QTest::addColumn<bool>("edited");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QByteArray>("shown");
        QTest::newRow("unmodified") << false << false << QByteArray("theirs");
        QTest::newRow("modified, confirmed") << true << true << QByteArray("theirs");
        QTest::newRow("modified, cancelled") << true << false << QByteArray("mine");
    }
    void reloadReadsTheFileAgainAsAStep()
    {
        QFETCH(bool, edited);
        QFETCH(bool, confirm);
        QFETCH(QByteArray, shown);
        WindowOverFile w(QByteArray(65536, '\xFF').replace(0, 3, "bar"), u"t.bin"_qs);
        QCOMPARE(w.doc().fileKind(), BinaryFilter);
        QVERIFY(w.main.action(MainAction::FileReload1)->isEnabled());
        if (edited)
            w.edit("mine");
        w.prompts.confirmAnswer = confirm;
        QByteArray theirs(65536, '\xFF');
        theirs.replace(0, 3, "bar").replace(68, 6, "theirs");
        w.changeOnDisk(theirs);
        w.main.action(MainAction::FileReload1)->trigger();
        QCOMPARE(w.prompts.asked.size(), edited ? 1 : 0);
        QCOMPARE(w.doc().grid().cell(1, 1), shown);
        if (shown != "theirs")
            return;
        QVERIFY(!w.form->IsModified());
        QCOMPARE(w.form->undoStack()->undoText(), u"Reload"_qs);
        w.form->Undo1Execute();
        QCOMPARE(w.doc().grid().cell(1, 1), QByteArray(edited ? "mine" : ""));
        // After redo the table is the file's again, image and all.
        w.form->Redo1Execute();
        QVERIFY(!w.form->IsModified());
        QCOMPARE(w.doc().CurrentImage(), theirs);
    }

    void ctrlSWithARefusedEditSaysNothingWasSaved()
    {
        WindowOverFile w;
        w.form->grid()->setFocus();
        w.form->SetEditing(true);
        GetGridEditor(*w.form->grid()).setText(u"a\U0001F600"_qs);
        w.main.updateActions();
        w.main.action(MainAction::FileSaveOverwrite1)->trigger();
        QCOMPARE(FileBytes(w.path), QByteArray("conv,bar\r\n"));
        QVERIFY(w.form->Editing());
        QVERIFY(LogLines(w.main).last().endsWith(u"; nothing was changed, and nothing was saved"_qs));
    }

    void eachSaveLogsOneLine_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("text") << u"t.csv"_qs;
        QTest::newRow("binary") << u"t.bin"_qs;
    }
    void eachSaveLogsOneLine()
    {
        QFETCH(QString, name);
        WindowOverFile w(name == u"t.bin" ? QByteArray(65536, '\xFF') : QByteArray("a,1\r\n"), name);
        w.edit("x");
        w.main.action(MainAction::FileSaveOverwrite1)->trigger();
        QCOMPARE(LogLines(w.main).filter(u"save to"_qs).size(), 1);
    }

    void aBinaryNameWithTheTextTypeIsSavedOrNamed_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("filter");   // 0: the type the dialog offers, untouched
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("logged");
        const QString byName = u"'%1' has the name of a binary file: saved as the 64 KiB table image"_qs;
        const QString asChosen = u"'%1' has the name of a binary file but holds CSV/text, as the type chosen says"_qs;
        QTest::newRow("type untouched, .bin") << u"t.bin"_qs << 0 << 65536 << byName;
        QTest::newRow("type untouched, .DAT") << u"t.DAT"_qs << 0 << 65536 << byName;
        QTest::newRow("type untouched, .csv") << u"t.csv"_qs << 0 << 1536 << QString();
        QTest::newRow("CSV/text chosen, .bin") << u"t.bin"_qs << CsvFilter << 1536 << asChosen;
        QTest::newRow("all files, .bin") << u"t.bin"_qs << 3 << 1536 << QString();
    }
    void aBinaryNameWithTheTextTypeIsSavedOrNamed()
    {
        QFETCH(QString, typed);
        QFETCH(int, filter);
        QFETCH(int, size);
        QFETCH(QString, logged);
        QTemporaryDir dir;
        FakePrompts prompts;
        TOstrelMain main;
        main.NewDocument(QString());
        const QString target = dir.filePath(typed);
        prompts.fileAnswers = {{{target}, filter}};
        main.action(MainAction::FileSaveAs1)->trigger();
        QCOMPARE(FileBytes(target).size(), size);
        const QStringList lines = WithoutLoadAndSaveTimes(LogLines(main));
        QCOMPARE(lines, logged.isEmpty() ? QStringList{} : QStringList{logged.arg(target)});
    }

    void helpSaysTheTypeIsRecognised()
    {
        const QString usage = EditorUsage();
        QVERIFY(!usage.contains(u"window as CSV/text"_qs));
        QVERIFY(usage.contains(u"its type recognised"_qs));
        QVERIFY(usage.contains(u"already open brings its window to the front"_qs));
    }
};

QTEST_MAIN(TestOpenFiles)
#include "test_open_files.moc"
