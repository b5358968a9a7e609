#include "common/comma_text.h"
#include "common/zered_error.h"
#include "common/zered_gui.h"
#include "documents/textlist_form.h"
#include "default_locale.h"
#include "fake_prompts.h"
#include "shell/barcodemain.h"
#include "shell/find_commands.h"
#include "shell/replace_dialog.h"
#include "shell/help_commands.h"
#include "shell/shape.h"
#include "shell_test_helpers.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QLineEdit>
#include <QFile>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QLabel>
#include <QMenuBar>
#include <QScrollBar>
#include <QSplitterHandle>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

// The main window shown with an empty table window in it.
struct TableWindowShown
{
    FakePrompts prompts;
    TOstrelMain main;
    TTextList2Form *form = nullptr;
    TableWindowShown()
    {
        main.show();
        form = main.NewDocument(QString());
    }
};

class TestMainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void commandsFollowTheActiveDocument_data()
    {
        QTest::addColumn<MainAction>("id");
        QTest::addColumn<bool>("withoutDocument");
        QTest::addColumn<bool>("withUnmodifiedTable");
        QTest::newRow("New") << MainAction::FileNew1 << true << true;
        QTest::newRow("Open") << MainAction::FileOpen1 << true << true;
        QTest::newRow("Recv") << MainAction::Recv1 << true << true;
        QTest::newRow("About") << MainAction::HelpAbout << true << true;
        QTest::newRow("Exit") << MainAction::FileExit1 << true << true;
        QTest::newRow("Save ...") << MainAction::FileSave1 << false << true;
        QTest::newRow("Save As") << MainAction::FileSaveAs1 << false << true;
        QTest::newRow("Save") << MainAction::FileSaveOverwrite1 << false << false;
        QTest::newRow("Find Text") << MainAction::SearchFind1 << false << true;
        QTest::newRow("Find Next") << MainAction::SearchFindNext1 << false << true;
        QTest::newRow("Send") << MainAction::Send1 << false << true;
        QTest::newRow("Close") << MainAction::WindowClose1 << false << true;
        QTest::newRow("Close All") << MainAction::WindowCloseAll1 << false << true;
        QTest::newRow("Cascade") << MainAction::WindowCascade1 << false << true;
    }
    void commandsFollowTheActiveDocument()
    {
        QFETCH(MainAction, id);
        QFETCH(bool, withoutDocument);
        QFETCH(bool, withUnmodifiedTable);
        FakePrompts prompts;
        TOstrelMain main;
        main.show();
        QAction *a = main.action(id);
        QVERIFY(a);
        QCOMPARE(a->isEnabled(), withoutDocument);
        TTextList2Form *form = main.NewDocument(QString());
        QCOMPARE(a->isEnabled(), withUnmodifiedTable);
        if (id == MainAction::FileSaveOverwrite1) {
            form->SetModified(true);
            QVERIFY(a->isEnabled());
            form->SetModified(false);
        }
        main.documentArea()->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        QCOMPARE(a->isEnabled(), withoutDocument);
    }

    void plainEditKeysActOnCellsOutsideTheEditor()
    {
        TOstrelMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        TTextList2Form *form = main.NewDocument(QString());
        TableDocument &table = form->document();
        const StringGrid &grid = table.grid();
        table.setCell(1, 1, "a b");
        table.setCell(2, 1, "\x81\x7f");
        table.setSelection({1, 1, 2, 1});
        form->grid()->setFocus();
        QTest::keyClick(form->grid(), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(QApplication::clipboard()->text().startsWith(u"\"a b\"\t\uFFFD"_qs));
        form->document().MoveCursor(1, 7);
        QTest::keyClick(form->grid(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(grid.cell(2, 7), QByteArray("\x81\x7f"));
        QCOMPARE(main.action(MainAction::EditUndo1)->text(), u"Undo Paste"_qs);
        QTest::keyClick(form->grid(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(grid.cell(2, 7).isEmpty());
        QVERIFY(!form->IsModified());
        QTest::keyClick(form->grid(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(grid.cell(1, 7), QByteArray("a b"));
        // Inside the cell editor the keys are the editor's.
        QTest::keyClick(form->grid(), Qt::Key_Return);
        QLineEdit &editor = GetGridEditor(*form->grid());
        QApplication::clipboard()->setText(u"typed"_qs);
        QTest::keyClick(&editor, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(editor.text(), u"typed"_qs);
        QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(editor.text(), u"a b"_qs);
        QCOMPARE(grid.cell(1, 7), QByteArray("a b"));
    }

    // Each editing key runs its command on the active table as one undo step.
    void editKeysRunTheirCommands_data()
    {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<QByteArray>("top");
        QTest::addColumn<QByteArray>("third");   // row 3 after the command
        QTest::newRow("Ctrl+D fills down")
            << QKeyCombination(Qt::ControlModifier, Qt::Key_D) << QByteArray("PART009") << QByteArray("PART009");
        QTest::newRow("Ctrl+Shift+D fills a series")
            << QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_D) << QByteArray("PART009")
            << QByteArray("PART011");
        QTest::newRow("Ctrl+Shift+D keeps a JAN check digit")
            << QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_D) << QByteArray("4901234567894")
            << QByteArray("4901234567917");
    }
    void editKeysRunTheirCommands()
    {
        QFETCH(QKeyCombination, key);
        QFETCH(QByteArray, top);
        QFETCH(QByteArray, third);
        TableWindowShown shown;
        QVERIFY(QTest::qWaitForWindowActive(&shown.main));
        TTextList2Form *form = shown.form;
        const StringGrid &grid = form->document().grid();
        form->document().setCell(2, 1, top);
        form->document().setSelection({2, 1, 2, 3});
        form->grid()->setFocus();
        QTest::keyClick(form->grid(), key.key(), key.keyboardModifiers());
        QCOMPARE(grid.cell(2, 3), third);
        QTest::keyClick(form->grid(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(grid.cell(2, 2).isEmpty() && grid.cell(2, 3).isEmpty());
        QCOMPARE(grid.cell(2, 1), top);
    }

    void goToRowKeyAsksForTheRow_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("row");
        QTest::newRow("a number") << u" 300 "_qs << 300;
        QTest::newRow("last used row") << u"LAST"_qs << 41;
    }
    void goToRowKeyAsksForTheRow()
    {
        QFETCH(QString, answer);
        QFETCH(int, row);
        TableWindowShown shown;
        shown.prompts.textAnswers = {answer};
        QVERIFY(QTest::qWaitForWindowActive(&shown.main));
        TTextList2Form *form = shown.form;
        form->document().setCell(1, 41, "last text");
        form->grid()->setFocus();
        QTest::keyClick(form->grid(), Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(shown.prompts.asked.size(), 1);
        QCOMPARE(form->document().grid().row(), row);
    }

    void replaceKeyOpensTheDialogOnTheFindText()
    {
        TableWindowShown shown;
        QVERIFY(QTest::qWaitForWindowActive(&shown.main));
        TTextList2Form *form = shown.form;
        form->grid()->setFocus();
        QTest::keyClick(form->grid(), Qt::Key_H, Qt::ControlModifier);
        QWidget *dialog = shown.main.findCommands().replaceDialog();
        QTRY_VERIFY(dialog->isVisible());
        QTRY_COMPARE(QApplication::focusWidget(), dialog->findChild<QWidget *>(u"ReplaceFindText"_qs));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog->findChild<QWidget *>(u"ReplaceWithText"_qs));
    }

    // Replace All: one undo step and a log line counting the cells; texts it
    // would make longer than their fields are listed first, and a No changes nothing.
    void replaceAllListsOverlongTextsFirst_data()
    {
        QTest::addColumn<QString>("with");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<int>("asked");
        QTest::addColumn<QByteArray>("second");   // row 2 afterwards
        QTest::newRow("fits") << u"Q"_qs << true << 0 << QByteArray("QQ");
        QTest::newRow("too long, confirmed") << QString(31, u'Q') << true << 1 << QByteArray(62, 'Q');
        QTest::newRow("too long, refused") << QString(31, u'Q') << false << 1 << QByteArray("xx");
    }
    void replaceAllListsOverlongTextsFirst()
    {
        QFETCH(QString, with);
        QFETCH(bool, confirm);
        QFETCH(int, asked);
        QFETCH(QByteArray, second);
        TableWindowShown shown;
        shown.prompts.confirmAnswer = confirm;
        TableDocument &table = shown.form->document();
        table.setCell(1, 1, "x");
        table.setCell(1, 2, "xx");
        shown.form->ReplaceInGrid(TTextList2Form::ReplaceStep::ReplaceAll, u"x"_qs, with, {});
        QCOMPARE(shown.prompts.asked.size(), asked);
        if (asked)
            QVERIFY(shown.prompts.asked[0].contains(u"row 2, conv str: 62 of 60 bytes"_qs));
        QCOMPARE(table.grid().cell(1, 2), second);
        if (second == "xx") {
            QCOMPARE(LogLines(shown.main), QStringList());
            return;
        }
        QCOMPARE(LogLines(shown.main).last(), u"replace 'x' with '%1': 2 cells changed"_qs.arg(with));
        shown.main.action(MainAction::EditUndo1)->trigger();
        QCOMPARE(table.grid().cell(1, 1), QByteArray("x"));
        QCOMPARE(table.grid().cell(1, 2), QByteArray("xx"));
    }

    void clickingATitleSortsAndUndoTakesItBack()
    {
        TableWindowShown shown;
        QVERIFY(QTest::qWaitForWindowActive(&shown.main));
        TTextList2Form *form = shown.form;
        TableDocument &table = form->document();
        const StringGrid &grid = table.grid();
        for (const auto &[row, text] : {std::pair{1, "b"}, {2, "c"}, {3, "a"}})
            table.setCell(1, row, text);
        QHeaderView *titles = form->grid()->horizontalHeader();
        const QPoint title(titles->sectionViewportPosition(0) + 5, titles->height() / 2);
        QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, title);
        QCOMPARE(grid.cell(1, 1), QByteArray("a"));
        QCOMPARE(grid.cell(0, 1), QByteArray("1"));   // row numbers stay
        QVERIFY(titles->isSortIndicatorShown());
        QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, title);
        QCOMPARE(grid.cell(1, 1), QByteArray("c"));
        QCOMPARE(titles->sortIndicatorOrder(), Qt::DescendingOrder);
        form->grid()->setFocus();
        QTest::keyClick(form->grid(), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(form->grid(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(grid.cell(1, 1), QByteArray("b"));
        QCOMPARE(grid.cell(1, 3), QByteArray("a"));
    }

    void undoFollowsTheActiveTable()
    {
        TOstrelMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        TTextList2Form *first = main.NewDocument(QString());
        first->document().EditCell(1, 1, "one");
        TTextList2Form *second = main.NewDocument(QString());
        second->grid()->setFocus();
        QAction *undo = main.action(MainAction::EditUndo1);
        QVERIFY(!undo->isEnabled());   // the active window has nothing to take back
        main.documentArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(first->parentWidget()));
        first->grid()->setFocus();
        QVERIFY(undo->isEnabled());
        QCOMPARE(undo->text(), u"Undo Typing"_qs);
        undo->trigger();
        QVERIFY(first->document().grid().cell(1, 1).isEmpty());
        QVERIFY(!undo->isEnabled());
        QVERIFY(!first->IsModified());
    }

    void ctrlWClosesTheActiveWindow()
    {
        TOstrelMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        main.NewDocument(QString());
        TTextList2Form *second = main.NewDocument(QString());
        second->grid()->setFocus();
        QTest::keyClick(second->grid(), Qt::Key_W, Qt::ControlModifier);
        QTRY_COMPARE(main.documents().size(), 1);
        QVERIFY(!main.documents().contains(second));
    }

    // With no table window open, what is typed must not change the port unseen.
    void typingWithoutATableLeavesThePortAlone_data()
    {
        QTest::addColumn<bool>("afterAWindowClosed");
        QTest::newRow("at start") << false;
        QTest::newRow("the last window closed") << true;
    }
    void typingWithoutATableLeavesThePortAlone()
    {
        QFETCH(bool, afterAWindowClosed);
        TOstrelMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        if (afterAWindowClosed) {
            TTextList2Form *form = main.NewDocument(QString());
            form->grid()->setFocus();
            QTest::keyClick(form->grid(), Qt::Key_W, Qt::ControlModifier);
            QTRY_COMPARE(main.documents().size(), 0);
        }
        QWidget *focus = QApplication::focusWidget();
        QCOMPARE(focus, main.documentArea());
        QTest::keyClicks(focus, u"COM3"_qs);
        QCOMPARE(main.portCombo()->currentText(), u"USB"_qs);
    }

    void messageSplitterLeavesTheHintPane()
    {
        TOstrelMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QWidget *hintPane = main.hintMemo()->parentWidget();
        const int hint = hintPane->height(), log = main.messagePane()->height(), area = main.documentArea()->height();
        DragMessageSplitter(main, 60);
        QTRY_VERIFY(main.messagePane()->height() >= log + 55);
        QCOMPARE(hintPane->height(), hint);
        QCOMPARE(main.documentArea()->height(), area - (main.messagePane()->height() - log));
    }

    void aLongLineLeavesTheNewestMessageReadable_data()
    {
        QTest::addColumn<int>("taller");
        QTest::addColumn<bool>("horizontalBar");
        QTest::newRow("one-line pane") << 0 << false;
        QTest::newRow("pane dragged taller") << 60 << true;
    }
    void aLongLineLeavesTheNewestMessageReadable()
    {
        QFETCH(int, taller);
        QFETCH(bool, horizontalBar);
        TOstrelMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        if (taller)
            DragMessageSplitter(main, taller);
        const QByteArray path(300, 'p');
        zered::LogPrint(zered::clBlack, "backup: %s", path.constData());
        QTextEdit *pane = main.messagePane();
        QTRY_COMPARE(pane->horizontalScrollBar()->isVisible(), horizontalBar);
        QCOMPARE(pane->horizontalScrollBar()->value(), 0);   // the time stamp is in view
        QVERIFY(pane->viewport()->rect().intersects(pane->cursorRect()));
        QCOMPARE(pane->textCursor().block().text().mid(9, 7), u"backup:"_qs);
    }

    void headBarShowsFunctionKeys()
    {
        TOstrelMain main;
        main.show();
        QStringList captions;
        for (const char *name : {"ButtonF2", "ButtonF3", "Button1", "Button2", "Button5"})
            captions.append(main.headPanel()->findChild<QPushButton *>(QLatin1String(name))->text());
        QCOMPARE(captions, (QStringList{u"F2:&Open ..."_qs, u"F3:&Save ..."_qs, u"F5:Recv"_qs,
                                        u"F6:Send ..."_qs, u"F12:e&Xit"_qs}));
    }

    void menusComeInOrder()
    {
        TOstrelMain main;
        QStringList titles;
        for (QAction *a : main.menuBar()->actions())
            titles.append(a->text());
        QCOMPARE(titles, (QStringList{u"&File"_qs, u"&Edit"_qs, u"&Search"_qs, u"&KOV"_qs, u"&Window"_qs, u"&Help"_qs}));
        // A command the form names in a menu is the command table's own action: a name
        // the table does not know would show as an empty item.
        QSet<QAction *> table;
        for (std::size_t i = 0; i < MainActionSpecs.size(); ++i)
            table.insert(main.action(static_cast<MainAction>(i)));
        int commands = 0;
        for (QMenu *menu : main.menuBar()->findChildren<QMenu *>())
            for (QAction *a : menu->actions())
                if (!a->isSeparator() && !a->menu()) {
                    QVERIFY2(table.contains(a), qPrintable(a->objectName()));
                    ++commands;
                }
        QCOMPARE(
            commands,
            21);   // with Search > Replace, KOV > Send to several and Transfer Journal; the Edit menu fills as it opens
    }

    void designSizeAndResizeHint()
    {
        TOstrelMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QCOMPARE(main.centralWidget()->size(), QSize(640, 480));
        QCOMPARE(main.hintMemo()->toPlainText(), u"640x480"_qs);
        main.resize(main.width() + 160, main.height() + 120);
        QTRY_COMPARE(main.hintMemo()->toPlainText(), u"800x600"_qs);
    }

    void statusTipsShowTheirLongPart()
    {
        TOstrelMain main;
        QStatusTipEvent tip(u"検索|指定された文字列を検索する"_qs);
        QApplication::sendEvent(&main, &tip);
        QCOMPARE(main.hintMemo()->toPlainText(), u"指定された文字列を検索する"_qs);
        QStatusTipEvent plain(u"display hint."_qs);
        QApplication::sendEvent(&main, &plain);
        QCOMPARE(main.hintMemo()->toPlainText(), u"display hint."_qs);
    }

    void hintsComeFromTheControlOrItsParents()
    {
        TOstrelMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        main.messagePane()->setStatusTip(u"display operation log and messages."_qs);
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(main.messagePane()->viewport(), &enter);   // no hint of its own
        QCOMPARE(main.hintMemo()->toPlainText(), u"display operation log and messages."_qs);
        QApplication::sendEvent(main.headPanel(), &enter);                 // none up its chain
        QCOMPARE(main.hintMemo()->toPlainText(), QString());
    }

    void windowMenuListsAndActivatesDocuments()
    {
        TOstrelMain main;
        main.show();
        TTextList2Form *first = main.NewDocument(u"/t/one.csv"_qs);
        main.NewDocument(u"/t/two.csv"_qs);
        QMenu *menu = main.findChild<QMenu *>(u"WindowMenu"_qs);
        QVERIFY(QMetaObject::invokeMethod(menu, "aboutToShow"));
        QStringList entries;
        QAction *oneEntry = nullptr;
        for (QAction *a : menu->actions()) {
            entries.append(a->text());
            if (a->text().endsWith(u"one.csv"))
                oneEntry = a;
        }
        QCOMPARE(entries, (QStringList{u"&Cascade"_qs, u"Tile &Horizontal"_qs, u"Tile &Virtical"_qs, QString(),
                                       u"&1 one.csv"_qs, u"&2 two.csv"_qs}));
        oneEntry->trigger();
        QCOMPARE(main.activeTable(), first);
    }

    void progressBarWidthsAndColours()
    {
        TOstrelMain main;
        QCOMPARE(main.progressBar()->width(), 0);   // nothing has run yet
        main.ProgressStart(256, 0, zered::clRed);
        QCOMPARE(main.progressBar()->width(), 0);
        QCOMPARE(main.progressBar()->fill(), QColor(255, 0, 0));
        main.ProgressStep(128, zered::clRed);
        QCOMPARE(main.progressBar()->width(), 50);
        main.ProgressStep(255, zered::clLime);
        QCOMPARE(main.progressBar()->width(), 99);
        QCOMPARE(main.progressBar()->outline(), QColor(0, 255, 0));
        main.ProgressEnd();
        QCOMPARE(main.progressBar()->width(), 99);
        QCOMPARE(main.progressBar()->outline(), QColor(0x80, 0x80, 0x80));
    }

    void logStartsWithTheBannerAndErrorsAreMagenta()
    {
        TOstrelMain main;
        // Never the design text "messages": the banner is the first thing in the pane.
        QCOMPARE(LogLines(main, true), (QStringList{u"KOV-Ostrel Manager version1.1.0.0 ;"_qs,
                                                    u"Copyright (C) 2026 Brenvik. All rights reserved."_qs}));
        QCOMPARE(MessageColour(main, 0), QColor(0, 0, 128));
        QCOMPARE(main.windowTitle(), u"KOV-Ostrel Manager ver1.1.0.0"_qs);
        zered::ReportError(QString());
        QCOMPARE(LogLines(main), QStringList());
        zered::ReportError(u"Read timeout"_qs);
        QCOMPARE(LogLines(main), QStringList{u"Read timeout"_qs});
        QCOMPARE(MessageColour(main, 2), QColor(255, 0, 255));
        // The system's reason follows the known message on a line of its own.
        zered::Guarded([] { throw OstrelError("serial port cannot open", u"permission denied"_qs); });
        QCOMPARE(LogLines(main).mid(1), (QStringList{u"serial port cannot open"_qs, u"permission denied"_qs}));
    }

    void aboutScrollsBackToTheBanner_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates);
        // A language without a table logs a line before the banner.
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany);
    }
    void aboutScrollsBackToTheBanner()
    {
        QFETCH(QLocale, locale);
        const DefaultLocale pinned(locale);
        TOstrelMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        for (int i = 0; i < 200; ++i)
            zered::LogPrint(zered::clBlack, "line %d", i);
        QScrollBar *bar = main.messagePane()->verticalScrollBar();
        QVERIFY(bar->maximum() - bar->value() < 17);   // the newest line is in view
        QVERIFY(bar->maximum() > 0);
        main.action(MainAction::HelpAbout)->trigger();
        QCOMPARE(main.messagePane()->textCursor().position(), main.helpCommands().VersionLogPos());
        QVERIFY(main.messagePane()->viewport()->rect().contains(main.messagePane()->cursorRect()));
        const QTextBlock line = main.messagePane()->textCursor().block();
        QVERIFY2(line.text().mid(9).startsWith(u"KOV-Ostrel Manager version"_qs), qPrintable(line.text()));
    }

    void logoDoubleClickLogsTheAddress()
    {
        TOstrelMain main;
        auto *logo = main.findChild<QLabel *>(u"LogoImage"_qs);
        QTest::mouseDClick(logo, Qt::LeftButton);
        QCOMPARE(LogLines(main).last(), u"open 'https://www.brenvik.example/kov/' on WEB BROWSER"_qs);
    }

    void commandLineFilesOpenAndOneIsMaximized_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("windows");
        QTest::addColumn<bool>("maximized");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("one file") << QStringList{u"a.csv"_qs} << 1 << true << QStringList{};
        QTest::newRow("two files") << QStringList{u"a.csv"_qs, u"b c.csv"_qs} << 2 << false << QStringList{};
        const QStringList missing{u"file not found"_qs, u"'%1' is not there: moved, renamed or deleted"_qs};
        QTest::newRow("one missing") << QStringList{u"gone.csv"_qs} << 0 << false << missing;
        QTest::newRow("missing among others") << QStringList{u"gone.csv"_qs, u"a.csv"_qs} << 1 << false << missing;
    }
    void commandLineFilesOpenAndOneIsMaximized()
    {
        QFETCH(QStringList, names);
        QFETCH(int, windows);
        QFETCH(bool, maximized);
        QFETCH(QStringList, log);
        QTemporaryDir dir;
        WriteFile(dir, u"a.csv"_qs, "x,1\r\n");
        WriteFile(dir, u"b c.csv"_qs, "y,2\r\n");
        QStringList paths;
        for (const QString &n : names)
            paths.append(dir.filePath(n));
        TOstrelMain main(paths);
        main.show();
        QStringList lines = LogLines(main);
        lines.removeIf([](const QString &l) { return l.startsWith(u"load from"); });
        for (QString &line : log)
            line = line.arg(dir.filePath(u"gone.csv"_qs));
        QCOMPARE(lines, log);
        QCOMPARE(main.documentArea()->subWindowList().size(), windows);
        if (windows > 0)
            QCOMPARE(main.documentArea()->currentSubWindow()->isMaximized(), maximized);
    }

    void forwardedFilesOpenUntilOneIsMissing()
    {
        QTemporaryDir dir;
        const QString a = WriteFile(dir, u"a b.csv"_qs, "x,1\r\n");
        const QString c = WriteFile(dir, u"c.csv"_qs, "z,3\r\n");
        TOstrelMain main;
        const QString missing = dir.filePath(u"gone.csv"_qs);
        QString message;
        try {
            main.CopyDataMessage(CommaTextJoin({a, missing, c}));
        } catch (const OstrelError &e) {
            message = e.message();
        }
        QCOMPARE(message, u"file no exists "_qs + missing);
        QCOMPARE(main.documentArea()->subWindowList().size(), 1);
        QCOMPARE(main.activeTable()->FileName(), a);
    }

    void droppedFilesOpenInDropOrder()
    {
        QTemporaryDir dir;
        QStringList paths;
        for (const char *n : {"1.csv", "2.csv", "3.csv"})
            paths.append(WriteFile(dir, QLatin1String(n), "a,b\r\n"));
        TOstrelMain main;
        main.DropFiles(paths);
        QStringList opened;
        for (QMdiSubWindow *w : main.documentArea()->subWindowList(QMdiArea::CreationOrder))
            opened.append(qobject_cast<TChildForm *>(w->widget())->FileName());
        QCOMPARE(opened, paths);
    }

    void closingWithTwoModifiedWindowsCanBeCancelled()
    {
        FakePrompts prompts;
        TOstrelMain main;
        main.show();
        main.NewDocument(QString())->SetModified(true);
        main.NewDocument(QString())->SetModified(true);
        prompts.saveAnswers = {SaveAnswer::Cancel};
        QCloseEvent close;
        QApplication::sendEvent(&main, &close);
        QVERIFY(!close.isAccepted());
        QCOMPARE(prompts.offeredAll, QList<bool>{true});
        QCOMPARE(main.documentArea()->subWindowList().size(), 2);
        QCOMPARE(LogLines(main), QStringList());   // a cancel reports nothing
    }

    void newWindowsAreNumbered()
    {
        TOstrelMain main;
        TTextList2Form *first = main.NewDocument(QString());
        TTextList2Form *second = main.NewDocument(QString());
        QCOMPARE(second->UntitledNumber(), first->UntitledNumber() + 1);
        QCOMPARE(main.activeTable(), second);
        TTextList2Form *named = main.NewDocument(u"/x/named.csv"_qs);
        QCOMPARE(named->windowTitle(), u"named.csv"_qs);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
