#include "common/file_dialog.h"
#include "common/zered_error.h"
#include "documents/table_grid_model.h"
#include "documents/text_grid_view.h"
#include "documents/textlist_form.h"
#include "fake_prompts.h"
#include "log_capture.h"
#include "test_support.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

namespace {

// Document windows inside a frame, as the main window holds them.
struct Frame
{
    QMdiArea area;
    QList<QPointer<TTextList2Form>> forms;
    TFileDialog saveAs{TFileDialog::Kind::Save};


    TTextList2Form *add()
    {
        DocumentServices services;
        services.saveAsDialog = &saveAs;
        auto *form = new TTextList2Form(services);
        area.addSubWindow(form)->show();
        forms.append(form);
        return form;
    }
    QList<TChildForm *> children() const
    {
        QList<TChildForm *> list;
        for (const auto &f : forms)
            if (f)
                list.append(f);
        return list;
    }
    int openCount() const
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        int n = 0;
        for (const auto &f : forms)
            n += f ? 1 : 0;
        return n;
    }
};


} // namespace

// The conversion-string column holds a whole field of single-byte characters.
static int ConvStrWidth(const TTextList2Form &form)
{
    return form.grid()->fontMetrics().horizontalAdvance(QString(ConvStrFieldLen, u'0')) + 8;
}

class TestTableWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void newWindowShowsHeadersNumbersAndEmptyTable()
    {
        TTextList2Form form;
        auto *model = form.grid()->model();
        QCOMPARE(model->rowCount(), 512);
        QCOMPARE(model->columnCount(), 2);
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), u"conv str"_qs);
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), u"bar code"_qs);
        QCOMPARE(model->headerData(0, Qt::Vertical).toString(), u"1"_qs);
        QCOMPARE(model->headerData(511, Qt::Vertical).toString(), u"512"_qs);
        QCOMPARE(form.document().image(), QByteArray(65536, '\xFF'));
        QCOMPARE(form.recvLabel()->text(), u"recv: --------"_qs);
        QCOMPARE(form.sendLabel()->text(), u"send: --------"_qs);
        QCOMPARE(form.grid()->verticalHeader()->width(), 24);
        QCOMPARE(form.grid()->columnWidth(0), ConvStrWidth(form));
        QVERIFY(!form.Modified());
        QVERIFY(!form.document().imageStale());
    }

    void modelPassesTheTester()
    {
        // Every kind of change the document announces, watched by the tester.
        QTemporaryDir dir;
        LogCapture log;
        TTextList2Form form;
        QAbstractItemModelTester tester(form.grid()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        TableDocument &d = form.document();
        d.setCell(2, 3, "ABC");
        QVERIFY(form.grid()->model()->setData(form.grid()->model()->index(4, 0), u"typed"_qs));
        d.setSelection({1, 2, 2, 4});
        d.DeleteSelectedRows();
        d.InsertSelectedRows();
        d.MoveRow(2, 9);
        d.SortByColumn(BarcodeColumn);
        form.undoStack()->undo();
        form.undoStack()->redo();
        d.SaveToFile(dir.filePath(u"t.csv"_qs), 1);
        const QList<QByteArray> saved = d.grid().cells();
        d.Clear();
        d.LoadFromFile(dir.filePath(u"t.csv"_qs), -1);
        QCOMPARE(d.grid().cells(), saved);
        d.ClearTable();
    }

    void barcodeColumnTakesTheRestOfTheWidth()
    {
        TTextList2Form form;
        form.resize(800, 400);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.grid()->columnWidth(1), form.grid()->viewport()->width() - ConvStrWidth(form));
    }

    void editsAreBytesInCp932AndMarkModified()
    {
        TTextList2Form form;
        form.SetEditing(true);
        GetGridEditor(*form.grid()).setText(u"変換"_qs);
        form.SetEditing(false);
        QCOMPARE(form.document().grid().cell(1, 1), QByteArray("\x95\xcf\x8a\xb7"));
        QVERIFY(form.Modified());
        QVERIFY(form.document().imageStale());
        QVERIFY(form.windowTitle().endsWith(u'*'));
    }

    void overlongTextsAreRed_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("red");
        QTest::newRow("conv 60") << 0 << 60 << false;
        QTest::newRow("conv 61") << 0 << 61 << true;
        QTest::newRow("bar 68") << 1 << 68 << false;
        QTest::newRow("bar 69") << 1 << 69 << true;
    }
    void overlongTextsAreRed()
    {
        QFETCH(int, column);
        QFETCH(int, length);
        QFETCH(bool, red);
        TTextList2Form form;
        form.document().setCell(column + 1, 1, QByteArray(length, 'x'));
        const QVariant fg = form.grid()->model()->data(form.grid()->model()->index(0, column), Qt::ForegroundRole);
        QCOMPARE(fg.isValid(), red);
    }

    // A cell of megabytes shows its head (whole characters) at once; editing gets it all.
    void hugeCellShowsItsHead()
    {
        TTextList2Form form;
        const QByteArray text = "x" + QByteArray("\x93\xFA").repeated(2000);
        form.document().setCell(BarcodeColumn, 1, text);
        const QModelIndex cell = form.grid()->model()->index(0, 1);
        QCOMPARE(form.grid()->model()->data(cell, Qt::DisplayRole).toString(),
                 "x" + QString(512, u'\u65E5') + u'\u2026');
        QCOMPARE(form.grid()->model()->data(cell, Qt::EditRole).toString(), "x" + QString(2000, u'\u65E5'));
    }

    void captionsNumberUntitledWindowsAndMarkChanges()
    {
        TTextList2Form a, b;
        QCOMPARE(b.UntitledNumber(), a.UntitledNumber() + 1);
        QCOMPARE(a.windowTitle(), u"untitled"_qs);
        a.SetModified(true);
        QCOMPARE(a.windowTitle(), u"untitled*"_qs);
        a.SetFileName(u"/data/tables/line 3.csv"_qs);
        QCOMPARE(a.windowTitle(), u"line 3.csv*"_qs);
        a.SetModified(false);
        QCOMPARE(a.windowTitle(), u"line 3.csv"_qs);
    }

    void rowDraggedMovesDataLogsAndMarksModified()
    {
        LogCapture log;
        TTextList2Form form;
        form.document().setCell(2, 5, "five");
        form.grid()->verticalHeader()->moveSection(4, 1);   // row 5 to row 2
        QCOMPARE(form.document().grid().cell(2, 2), QByteArray("five"));
        QCOMPARE(form.document().grid().cell(0, 2), QByteArray("5"));
        QCOMPARE(form.document().grid().cell(0, 3), QByteArray("2"));
        QCOMPARE(form.grid()->verticalHeader()->visualIndex(4), 4);   // the header itself did not move
        QCOMPARE(log.messages().last(), u"row moved 5 to 2"_qs);
        QVERIFY(form.Modified());
    }

    void loadAndSaveSetNameAndClearModified()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"t.csv"_qs);
        LogCapture log;
        TTextList2Form form;
        form.document().setCell(1, 1, "a b");
        form.SetModified(true);
        form.SaveToFile(path, 1);
        QCOMPARE(form.FileName(), path);
        QVERIFY(!form.Modified());
        QVERIFY(FileBytes(path).startsWith("\"a b\",\r\n"));
        TTextList2Form loaded;
        loaded.LoadFromFile(path, -1);
        QCOMPARE(loaded.windowTitle(), u"t.csv"_qs);
        QVERIFY(!loaded.Modified());
        QVERIFY(loaded.document().imageStale());
        QCOMPARE(loaded.document().grid().cell(1, 1), QByteArray("a b"));
    }

    void closingAnUnmodifiedWindowAsksNothing()
    {
        FakePrompts prompts;
        Frame frame;
        frame.add();
        TChildForm::CloseAllChildren(frame.children());
        QVERIFY(prompts.asked.isEmpty());
        QCOMPARE(frame.openCount(), 0);
    }

    void yesToAllSavesEveryWindowWithoutFurtherPrompts()
    {
        QTemporaryDir dir;
        FakePrompts prompts;
        LogCapture log;
        Frame frame;
        for (int i = 0; i < 3; ++i)
            frame.add()->SetModified(true);
        frame.forms[1]->SetFileName(dir.filePath(u"named.csv"_qs));
        frame.forms[1]->SetModified(true);
        prompts.saveAnswers = {SaveAnswer::YesToAll};
        prompts.fileAnswers = {{{dir.filePath(u"a.csv"_qs)}}, {{dir.filePath(u"c.csv"_qs)}}};
        TChildForm::CloseAllChildren(frame.children());
        QCOMPARE(prompts.offeredAll, QList<bool>{true});
        QCOMPARE(prompts.fileDialogs, 2);   // the untitled ones still choose a name
        QCOMPARE(frame.openCount(), 0);
        for (const char *name : {"a.csv", "named.csv", "c.csv"})
            QCOMPARE(FileBytes(dir.filePath(QLatin1String(name))).size(), 1536);
    }

    void noToAllClosesTheRestWithoutSaving()
    {
        FakePrompts prompts;
        Frame frame;
        for (int i = 0; i < 3; ++i)
            frame.add()->SetModified(true);
        prompts.saveAnswers = {SaveAnswer::No, SaveAnswer::NoToAll};
        TChildForm::CloseAllChildren(frame.children());
        QCOMPARE(prompts.asked.size(), 2);
        QCOMPARE(frame.openCount(), 0);
    }

    void cancelOnTheSecondPromptKeepsItAndTheThirdOpen()
    {
        FakePrompts prompts;
        Frame frame;
        for (int i = 0; i < 3; ++i)
            frame.add()->SetModified(true);
        prompts.saveAnswers = {SaveAnswer::No, SaveAnswer::Cancel};
        bool cancelled = false;
        try {
            TChildForm::CloseAllChildren(frame.children());
        } catch (const OstrelError &e) {
            cancelled = e.isCancel();
        }
        QVERIFY(cancelled);
        QCOMPARE(frame.openCount(), 2);
        QVERIFY(!frame.forms[0]);
        // The shared answer is gone: a later single close asks with three buttons again.
        prompts.saveAnswers = {SaveAnswer::Cancel};
        frame.forms[1]->parentWidget()->close();
        QCOMPARE(prompts.offeredAll.last(), false);
    }

    void oneModifiedAmongSeveralGetsThreeButtons()
    {
        FakePrompts prompts;
        Frame frame;
        frame.add();
        frame.add()->SetModified(true);
        frame.add();
        prompts.saveAnswers = {SaveAnswer::No};
        TChildForm::CloseAllChildren(frame.children());
        QCOMPARE(prompts.offeredAll, QList<bool>{false});
        QVERIFY(prompts.asked.first().startsWith(u"[untitled*]"_qs));
        QVERIFY(prompts.asked.first().endsWith(u"]は保存されていません。保存しますか？"_qs));
    }

    void cancelledSaveAsKeepsTheWindowSilently()
    {
        FakePrompts prompts;
        LogCapture log;
        Frame frame;
        frame.add()->SetModified(true);
        prompts.saveAnswers = {SaveAnswer::Yes};
        prompts.fileAnswers = {{}};
        QMdiSubWindow *sub = frame.area.subWindowList().first();
        sub->close();
        QCOMPARE(frame.openCount(), 1);
        QVERIFY(log.lines.isEmpty());
    }

    void aFailedSaveInThePromptKeepsTheWindowAndLogsIt()
    {
        FakePrompts prompts;
        LogCapture log;
        Frame frame;
        TTextList2Form *form = frame.add();
        form->SetFileName(u"/nonexistent-folder/x.csv"_qs);
        form->SetModified(true);
        prompts.saveAnswers = {SaveAnswer::Yes};
        frame.area.subWindowList().first()->close();
        QCOMPARE(frame.openCount(), 1);
        QCOMPARE(log.lines.size(), 1);
        QCOMPARE(log.lines[0].colour, zered::clMagenta);
        QVERIFY(log.lines[0].message.contains(u"/nonexistent-folder/x.csv"_qs));
        QVERIFY(form->Modified());
    }

    void anOpenEditorCountsAsModified()
    {
        FakePrompts prompts;
        Frame frame;
        TTextList2Form *form = frame.add();
        frame.area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame.area));
        form->grid()->edit(form->grid()->model()->index(0, 0));
        QVERIFY(form->IsModified());
        prompts.saveAnswers = {SaveAnswer::Cancel};
        frame.area.subWindowList().first()->close();
        QCOMPARE(prompts.asked.size(), 1);
        QCOMPARE(frame.openCount(), 1);
    }
};

QTEST_MAIN(TestTableWindow)
#include "test_table_window.moc"
