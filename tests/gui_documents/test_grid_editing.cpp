#include "common/zered_error.h"
#include "documents/cell_editor.h"
#include "documents/grid_hints.h"
#include "documents/table_grid_model.h"
#include "documents/text_grid_view.h"
#include "documents/textlist_form.h"
#include "fake_prompts.h"
#include "log_capture.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>

namespace {

// A table window on screen, its grid focused, cursor at conv str of row 1;
// the model tester watches every change its grid shows.
struct ShownForm
{
    TTextList2Form form;
    QAbstractItemModelTester tester{form.grid()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest};
    ShownForm()
    {
        form.resize(640, 460);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.grid()->setFocus();
    }
    TableDocument &doc() { return form.document(); }
    const StringGrid &grid() { return form.document().grid(); }
    TextGridView *view() { return form.grid(); }
    QModelIndex index(int col, int row) { return view()->model()->index(row - 1, col - 1); }
    QPoint cellCentre(int col, int row) { return view()->visualRect(index(col, row)).center(); }
    void click(int col, int row, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = {})
    {
        QTest::mouseClick(view()->viewport(), button, mods, cellCentre(col, row));
    }
    void select(const GridRect &r)
    {
        doc().setSelection(r);
        doc().setCurrent(r.left, r.top);
        form.SelectAll1Execute();   // leaves editing, as every command does
        doc().setSelection(r);
        view()->selectionModel()->setCurrentIndex(index(r.left, r.top), QItemSelectionModel::NoUpdate);
        view()->selectionModel()->select(QItemSelection(index(r.left, r.top), index(r.right, r.bottom)),
                                         QItemSelectionModel::ClearAndSelect);
    }
    QLineEdit *editor() { return view()->findChild<QLineEdit *>(); }
};

// The bounding box of the pixels whose every channel is below limit (black or
// grey text, not red), leaving out the last row and column (the grid lines).
QRect DarkBounds(const QImage &image, int limit = 128)
{
    QRect box;
    for (int y = 0; y < image.height() - 1; ++y)
        for (int x = 0; x < image.width() - 1; ++x)
            if (const QColor c = image.pixelColor(x, y); std::max({c.red(), c.green(), c.blue()}) < limit)
                box |= QRect(x, y, 1, 1);
    return box;
}

void SetClipboardText(const QString &text)
{
    QApplication::clipboard()->setText(text);
}

// The row numbers as they are on the screen now, after what was pending is painted.
QImage RowNumbersOnScreen(ShownForm &f)
{
    QCoreApplication::processEvents();
    QWidget *numbers = f.view()->verticalHeader()->viewport();
    const QRect area(numbers->mapTo(&f.form, QPoint(0, 0)), numbers->size());
    return f.form.screen()->grabWindow(f.form.winId(), area.x(), area.y(), area.width(), area.height()).toImage();
}

} // namespace

Q_DECLARE_METATYPE(GridRect)

class TestGridEditing : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void keysThatStartEditing_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("starts");
        QTest::newRow("letter") << int(Qt::Key_X) << 0 << u"x"_qs << true;
        QTest::newRow("shifted letter") << int(Qt::Key_X) << int(Qt::ShiftModifier) << u"X"_qs << true;
        QTest::newRow("digit") << int(Qt::Key_7) << 0 << u"7"_qs << true;
        QTest::newRow("space") << int(Qt::Key_Space) << 0 << u" "_qs << true;
        QTest::newRow("Delete") << int(Qt::Key_Delete) << 0 << QString() << true;
        QTest::newRow("Insert") << int(Qt::Key_Insert) << 0 << QString() << true;
        QTest::newRow("F1") << int(Qt::Key_F1) << 0 << QString() << true;
        QTest::newRow("F15") << int(Qt::Key_F15) << 0 << QString() << true;
        QTest::newRow("keypad plus") << int(Qt::Key_Plus) << int(Qt::KeypadModifier) << u"+"_qs << true;
        QTest::newRow("comma") << int(Qt::Key_Comma) << 0 << u","_qs << true;
        QTest::newRow("Alt letter") << int(Qt::Key_A) << int(Qt::AltModifier) << QString() << true;
        QTest::newRow("Ctrl letter") << int(Qt::Key_A) << int(Qt::ControlModifier) << u"\x01"_qs << false;
        QTest::newRow("Ctrl Shift digit") << int(Qt::Key_1) << int(Qt::ControlModifier | Qt::ShiftModifier)
                                          << QString() << false;
        QTest::newRow("arrow") << int(Qt::Key_Down) << 0 << QString() << false;
        QTest::newRow("Home") << int(Qt::Key_Home) << 0 << QString() << false;
        QTest::newRow("Tab") << int(Qt::Key_Tab) << 0 << u"\t"_qs << false;
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << 0 << u"\b"_qs << false;
        QTest::newRow("F16") << int(Qt::Key_F16) << 0 << QString() << false;
        QTest::newRow("Shift alone") << int(Qt::Key_Shift) << int(Qt::ShiftModifier) << QString() << false;
    }
    void keysThatStartEditing()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(bool, starts);
        QCOMPARE(KeyStartsEditing(key, Qt::KeyboardModifiers(modifiers), text), starts);
    }

    void typingReplacesTheTextAndEnterMarksModified()
    {
        ShownForm f;
        f.doc().setCell(1, 1, "old text");
        QTest::keyClick(f.view(), Qt::Key_N);
        QVERIFY(f.form.Editing());
        QCOMPARE(f.editor()->text(), u"n"_qs);
        QTest::keyClicks(f.editor(), "ew");
        QVERIFY(f.form.IsModified());   // an open editor counts
        QVERIFY(!f.form.Modified());
        QTest::keyClick(f.editor(), Qt::Key_Return);
        QVERIFY(!f.form.Editing());
        QVERIFY(!f.view()->isEditing());
        QCOMPARE(f.grid().cell(1, 1), QByteArray("new"));
        QVERIFY(f.form.Modified());
        QVERIFY(f.form.document().imageStale());
    }

    void typingThenEscapeKeepsTextAndState()
    {
        ShownForm f;
        f.doc().setCell(1, 1, "\x81\x7f");   // no CP932 character: must come back byte for byte
        QTest::keyClick(f.view(), Qt::Key_Z);
        QTest::keyClick(f.editor(), Qt::Key_Escape);
        QVERIFY(!f.form.Editing());
        QCOMPARE(f.grid().cell(1, 1), QByteArray("\x81\x7f"));
        QVERIFY(!f.form.IsModified());
    }

    void enterTwiceOpensAndClosesWithoutChange()
    {
        ShownForm f;
        f.doc().setCell(1, 1, "\x81\x7f");
        QTest::keyClick(f.view(), Qt::Key_Return);
        QVERIFY(f.form.Editing());
        QCOMPARE(f.editor()->selectedText(), f.editor()->text());
        QTest::keyClick(f.editor(), Qt::Key_Enter);
        QVERIFY(!f.form.Editing());
        QCOMPARE(f.grid().cell(1, 1), QByteArray("\x81\x7f"));
        QVERIFY(!f.form.IsModified());
    }

    void ctrlLetterAndEscapeDoNotEdit()
    {
        ShownForm f;
        f.doc().setCell(1, 1, "keep");
        QTest::keyClick(f.view(), Qt::Key_B, Qt::ControlModifier);
        QTest::keyClick(f.view(), Qt::Key_Escape);
        QVERIFY(!f.form.Editing());
        QVERIFY(!f.view()->isEditing());
        QCOMPARE(f.grid().cell(1, 1), QByteArray("keep"));
    }

    void arrowWhileEditingCommitsAndMoves()
    {
        ShownForm f;
        QTest::keyClick(f.view(), Qt::Key_Q);
        QTest::keyClick(f.editor(), Qt::Key_Down);
        QVERIFY(!f.form.Editing());
        QCOMPARE(f.grid().cell(1, 1), QByteArray("q"));
        QCOMPARE(f.grid().row(), 2);
        QVERIFY(f.form.Modified());
    }

    void clickOnceMovesAgainOpensTheEditor()
    {
        ShownForm f;
        f.click(2, 4);
        QCOMPARE(f.grid().col(), 2);
        QCOMPARE(f.grid().row(), 4);
        QVERIFY(!f.form.Editing());
        f.click(2, 4);
        QVERIFY(f.form.Editing());
        QCOMPARE(f.view()->currentIndex(), f.index(2, 4));
        // A click on another cell ends the edit there.
        f.click(1, 6);
        QVERIFY(!f.form.Editing());
        QCOMPARE(f.grid().row(), 6);
        QVERIFY(!f.form.IsModified());
    }

    void mousePressRule_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("row");
        QTest::addColumn<GridRect>("selection");
        QTest::newRow("right inside keeps the block") << int(Qt::RightButton) << 0 << 2 << 4 << GridRect{1, 3, 2, 5};
        QTest::newRow("right outside moves") << int(Qt::RightButton) << 0 << 1 << 8 << GridRect{1, 8, 1, 8};
        QTest::newRow("middle outside moves") << int(Qt::MiddleButton) << 0 << 2 << 9 << GridRect{2, 9, 2, 9};
        QTest::newRow("shift left extends") << int(Qt::LeftButton) << int(Qt::ShiftModifier) << 2 << 7
                                            << GridRect{1, 3, 2, 7};
        QTest::newRow("left inside starts anew") << int(Qt::LeftButton) << 0 << 2 << 4 << GridRect{2, 4, 2, 4};
    }
    void mousePressRule()
    {
        QFETCH(int, button);
        QFETCH(int, modifiers);
        QFETCH(int, col);
        QFETCH(int, row);
        QFETCH(GridRect, selection);
        ShownForm f;
        f.select({1, 3, 2, 5});
        f.click(col, row, Qt::MouseButton(button), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(f.grid().selection(), selection);
        QVERIFY(!f.form.Editing());
    }

    void aPressOnAHeaderMovesTheCursorButNotIntoTheHeader()
    {
        ShownForm f;
        f.click(1, 5);
        QHeaderView *titles = f.view()->horizontalHeader();
        QTest::mouseClick(titles->viewport(), Qt::RightButton, {},
                          QPoint(titles->sectionViewportPosition(1) + 20, 5));
        QCOMPARE(f.grid().col(), 2);
        QCOMPARE(f.grid().row(), 5);
        QCOMPARE(f.form.CellAt(titles->mapTo(f.view(), QPoint(titles->sectionViewportPosition(1) + 20, 5))).row, 0);
    }

    void overlongTextsAreDrawnRed_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("red");
        QTest::newRow("conv 60") << 1 << 60 << false;
        QTest::newRow("conv 61") << 1 << 61 << true;
        QTest::newRow("bar 68") << 2 << 68 << false;
        QTest::newRow("bar 69") << 2 << 69 << true;
    }
    void overlongTextsAreDrawnRed()
    {
        QFETCH(int, col);
        QFETCH(int, length);
        QFETCH(bool, red);
        ShownForm f;
        f.doc().setCell(col, 3, QByteArray(length, 'W'));
        const QRect cell = f.view()->visualRect(f.index(col, 3));
        const QImage image = f.view()->viewport()->grab(cell).toImage();
        int redPixels = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                redPixels += image.pixelColor(x, y) == QColor(255, 0, 0);
        QCOMPARE(redPixels > 0, red);
        QCOMPARE(DarkBounds(image).isEmpty(), red);
    }

    void textStartsTwoPixelsInFromTheLeftAndTop()
    {
        ShownForm f;
        f.doc().setCell(1, 3, "W");
        const QRect cell = f.view()->visualRect(f.index(1, 3));
        const QRect text = DarkBounds(f.view()->viewport()->grab(cell).toImage());
        QVERIFY2(text.left() >= 2 && text.left() <= 4, qPrintable(QString::number(text.left())));
        QVERIFY2(text.top() >= 2 && text.top() <= 6, qPrintable(QString::number(text.top())));
    }

    void headerTextsAreDrawnLeftAndRowNumbersRight_data()
    {
        QTest::addColumn<bool>("rowNumbers");
        QTest::newRow("column title") << false;
        QTest::newRow("row number") << true;
    }
    void headerTextsAreDrawnLeftAndRowNumbersRight()
    {
        QFETCH(bool, rowNumbers);
        ShownForm f;
        QHeaderView *header = rowNumbers ? f.view()->verticalHeader() : f.view()->horizontalHeader();
        const QRect section = rowNumbers ? QRect(0, header->sectionViewportPosition(7), header->width(),
                                                 header->sectionSize(7))
                                         : QRect(header->sectionViewportPosition(0), 0, header->sectionSize(0),
                                                 header->height());
        const QImage image = header->viewport()->grab(section).toImage();
        const QRect text = DarkBounds(image, 100);
        QVERIFY(!text.isEmpty());   // some text is drawn at all
        QVERIFY2(text.top() >= 2 && text.top() <= 6, qPrintable(QString::number(text.top())));
        const int gap = rowNumbers ? image.width() - 1 - text.right() : text.left();
        QVERIFY2(gap >= 2 && gap <= (rowNumbers ? 5 : 4), qPrintable(QString::number(gap)));
    }

    void popupMenuOrder()
    {
        TTextList2Form form;
        QStringList names;
        for (QAction *a : form.popupMenu()->actions())
            names.append(a->objectName());
        QCOMPARE(names, (QStringList{u"Undo2"_qs, u"Redo2"_qs, u"N1"_qs, u"Cut1"_qs, u"Copy1"_qs, u"Paste1"_qs, u"Delete1"_qs,
                                     u"Insert1"_qs, u"SelectAll2"_qs, u"N2"_qs, u"Sort1"_qs, u"Clear2"_qs,
                                     u"N3"_qs, u"ReceivefromKOV1"_qs, u"SendtoKOV1"_qs, u"ComparewithKOV1"_qs, u"N4"_qs, u"CheckTable2"_qs}));
        QVERIFY(form.popupMenu()->actions()[9]->isSeparator());
        QCOMPARE(form.action(TableAction::GridDelete1)->shortcut(), QKeySequence(u"Shift+Del"_qs));
        QCOMPARE(form.action(TableAction::GridCut1)->text(), u"Cut"_qs);
        QCOMPARE(form.action(TableAction::Recv1)->text(), u"&Receive from KOV"_qs);
        QCOMPARE(form.action(TableAction::Clear1)->property("category").toString(), u"KOV"_qs);
    }

    void pasteIsEnabledOnlyWithClipboardText()
    {
        TTextList2Form form;
        QApplication::clipboard()->clear();
        QVERIFY(!form.action(TableAction::GridPaste1)->isEnabled());
        auto *image = new QMimeData;
        image->setImageData(QImage(2, 2, QImage::Format_RGB32));
        QApplication::clipboard()->setMimeData(image);
        QVERIFY(!form.action(TableAction::GridPaste1)->isEnabled());
        SetClipboardText(u"x"_qs);
        QVERIFY(form.action(TableAction::GridPaste1)->isEnabled());
    }

    void sortIsEnabledOnlyForOneColumn()
    {
        ShownForm f;
        f.select({1, 1, 1, 40});
        QVERIFY(f.form.action(TableAction::GridSort1)->isEnabled());
        f.select({1, 1, 2, 1});
        QVERIFY(!f.form.action(TableAction::GridSort1)->isEnabled());
        f.click(2, 3);
        QVERIFY(f.form.action(TableAction::GridSort1)->isEnabled());
    }

    void sortByTheRightClickedColumnTogglesAndLogs()
    {
        LogCapture log;
        ShownForm f;
        f.doc().setCell(2, 1, "b");
        f.doc().setCell(2, 2, "a");
        f.doc().setCell(1, 3, "conv only");
        f.click(2, 2, Qt::RightButton);
        f.form.action(TableAction::GridSort1)->trigger();
        QCOMPARE(f.grid().cell(2, 1), QByteArray("a"));
        QCOMPARE(f.grid().cell(2, 2), QByteArray("b"));
        f.form.action(TableAction::GridSort1)->trigger();
        QCOMPARE(f.grid().cell(2, 1), QByteArray("b"));
        QCOMPARE(f.grid().cell(1, 512), QByteArray("conv only"));   // empty barcodes stay last, reversed
        f.click(1, 2, Qt::RightButton);
        f.form.action(TableAction::GridSort1)->trigger();   // another column keeps the direction
        QCOMPARE(f.grid().cell(1, 1), QByteArray("conv only"));
        QCOMPARE(log.messages(), (QStringList{u"sorted col2 asc"_qs, u"sorted col2 desc"_qs, u"sorted col1 desc"_qs}));
        QVERIFY(f.form.Modified());
    }

    void copyAndPasteThroughTheClipboard()
    {
        ShownForm f;
        f.doc().setCell(1, 1, "a b");
        f.doc().setCell(2, 1, "\x95\xcf\x8a\xb7");
        f.select({1, 1, 2, 1});
        f.form.action(TableAction::GridCopy1)->trigger();
        QCOMPARE(QApplication::clipboard()->text(), u"\"a b\"\t変換\r\n"_qs);
        QVERIFY(!f.form.Modified());
        f.select({1, 5, 1, 5});
        f.form.action(TableAction::GridPaste1)->trigger();
        QCOMPARE(f.grid().cell(1, 5), QByteArray("a b"));
        QCOMPARE(f.grid().cell(2, 5), QByteArray("\x95\xcf\x8a\xb7"));
        QCOMPARE(f.grid().selection(), (GridRect{1, 5, 2, 5}));
        QVERIFY(f.view()->selectionModel()->isSelected(f.index(2, 5)));
        QVERIFY(f.form.Modified());
        f.select({1, 1, 1, 2});
        f.form.action(TableAction::GridCut1)->trigger();
        QVERIFY(f.grid().cell(1, 1).isEmpty());
        QCOMPARE(QApplication::clipboard()->text(), u"\"a b\"\r\n\r\n"_qs);
    }

    void aPasteThatDoesNotFitSaysWhatItLeavesOut_data()
    {
        QTest::addColumn<bool>("internal");   // the program's own copy, else text from elsewhere
        QTest::addColumn<QString>("text");
        QTest::addColumn<GridRect>("target");
        QTest::addColumn<QString>("leftOut");   // how the question counts it; empty: it fits, no question
        QTest::addColumn<GridRect>("filled");
        QString twenty;
        for (int i = 1; i <= 20; ++i)
            twenty += u"c%1\tb%1\r\n"_qs.arg(i);
        QTest::newRow("20 lines at row 500")
            << false << twenty << GridRect{1, 500, 1, 500} << u"クリップボードの20行のうち7行にある14個のテキスト"_qs
            << GridRect{1, 500, 2, 512};
        QTest::newRow("20 lines copied at row 500")
            << true << twenty << GridRect{1, 500, 1, 500} << u"クリップボードの20行のうち7行にある14個のテキスト"_qs
            << GridRect{1, 500, 2, 512};
        QTest::newRow("3 fields at the first column")
            << false << u"a\tb\tc\r\nd\te\tf\r\n"_qs << GridRect{1, 1, 1, 1}
            << u"クリップボードの2行のうち2行にある2個のテキスト"_qs << GridRect{1, 1, 2, 2};
        QTest::newRow("2 fields into 1 selected column")
            << false << u"a\tb\r\n"_qs << GridRect{1, 1, 1, 3} << u"クリップボードの1行のうち1行にある1個のテキスト"_qs
            << GridRect{1, 1, 1, 3};
        QTest::newRow("3 lines into 2 selected rows")
            << false << u"a\r\nb\r\nc\r\n"_qs << GridRect{1, 1, 2, 2}
            << u"クリップボードの3行のうち1行にある1個のテキスト"_qs << GridRect{1, 1, 2, 2};
        QTest::newRow("empty fields past the end")
            << false << u"a\tb\t\r\n\t\r\n"_qs << GridRect{1, 511, 1, 511} << QString() << GridRect{1, 511, 2, 512};
        QTest::newRow("13 lines at row 500") << false << twenty.section(u"\r\n"_qs, 0, 12) << GridRect{1, 500, 1, 500}
                                             << QString() << GridRect{1, 500, 2, 512};
    }
    void aPasteThatDoesNotFitSaysWhatItLeavesOut()
    {
        QFETCH(bool, internal);
        QFETCH(QString, text);
        QFETCH(GridRect, target);
        QFETCH(QString, leftOut);
        QFETCH(GridRect, filled);
        for (const bool ok : {false, true}) {
            FakePrompts prompts;
            prompts.confirmAnswer = ok;
            ShownForm f;
            if (internal) {
                f.doc().PasteText(text);
                f.select({1, 1, 2, 20});
                f.form.action(TableAction::GridCopy1)->trigger();
                f.doc().Clear();
            } else {
                SetClipboardText(text);
            }
            f.select(target);
            f.form.action(TableAction::GridPaste1)->trigger();
            QCOMPARE(prompts.asked.size(), leftOut.isEmpty() ? 0 : 1);
            if (!leftOut.isEmpty())
                QVERIFY2(prompts.asked[0].startsWith(leftOut), qPrintable(prompts.asked[0]));
            const bool pasted = ok || leftOut.isEmpty();
            // Every case pastes a text starting with "a" or "c1" at the top-left.
            QCOMPARE(f.grid().cell(1, filled.top).isEmpty(), !pasted);
            QCOMPARE(f.grid().selection(), pasted ? filled : target);
        }
    }

    void rowNumbersAreRedrawnAtOnce_data()
    {
        QTest::addColumn<QString>("command");
        for (const char *command : {"insert", "delete", "sort", "drag a row", "undo", "redo", "clear"})
            QTest::newRow(command) << QString::fromLatin1(command);
    }
    void rowNumbersAreRedrawnAtOnce()
    {
        QFETCH(QString, command);
        FakePrompts prompts;
        ShownForm f;
        for (int row = 1; row <= 512; ++row)
            f.doc().setCell(2, row, QByteArray::number(1000 - row));
        // Scrolled down, as where an operator works in a long table.
        f.view()->scrollTo(f.index(1, 300), QAbstractItemView::PositionAtTop);
        f.select({1, 302, 2, 303});
        RowNumbersOnScreen(f);
        if (command == u"insert" || command == u"undo" || command == u"redo")
            f.form.GridInsert1Execute();
        if (command == u"undo" || command == u"redo")
            f.form.Undo1Execute();
        if (command == u"redo")
            f.form.Redo1Execute();
        if (command == u"delete")
            f.form.GridDelete1Execute();
        if (command == u"sort")
            f.doc().SortByColumn(2);
        if (command == u"drag a row")
            f.view()->verticalHeader()->moveSection(305, 301);
        if (command == u"clear")
            f.form.Clear1Execute();
        const QImage shown = RowNumbersOnScreen(f);
        f.view()->verticalHeader()->viewport()->repaint();
        QCOMPARE(shown, RowNumbersOnScreen(f));
    }

    void anInternalCopyKeepsBytesThatAreNoText()
    {
        ShownForm f;
        f.doc().setCell(2, 1, "\x81\x7f\xfe");
        f.select({2, 1, 2, 1});
        f.form.action(TableAction::GridCopy1)->trigger();
        f.select({2, 9, 2, 9});
        f.form.action(TableAction::GridPaste1)->trigger();
        QCOMPARE(f.grid().cell(2, 9), QByteArray("\x81\x7f\xfe"));
    }

    void undoAndRedoFollowTheHistoryAndTheSavedMark()
    {
        ShownForm f;
        QAction *undo = f.form.action(TableAction::Undo1), *redo = f.form.action(TableAction::Redo1);
        QVERIFY(!undo->isEnabled());
        QVERIFY(!redo->isEnabled());
        SetClipboardText(u"p\tq"_qs);
        f.form.action(TableAction::GridPaste1)->trigger();
        QCOMPARE(undo->text(), u"Undo Paste"_qs);
        QVERIFY(f.form.windowTitle().endsWith(u'*'));
        f.form.action(TableAction::Undo1)->trigger();
        QVERIFY(f.grid().cell(1, 1).isEmpty());
        QVERIFY(!f.form.Modified());
        QVERIFY(!f.form.windowTitle().endsWith(u'*'));
        QVERIFY(!undo->isEnabled());
        QCOMPARE(redo->text(), u"Redo Paste"_qs);
        f.form.action(TableAction::Redo1)->trigger();
        QCOMPARE(f.grid().cell(2, 1), QByteArray("q"));
        QVERIFY(f.form.Modified());
        QCOMPARE(f.grid().selection(), (GridRect{1, 1, 2, 1}));
        QVERIFY(f.view()->selectionModel()->isSelected(f.index(2, 1)));
    }

    void theEditorRefusesWhatACellCannotHold()
    {
        LogCapture log;
        ShownForm f;
        f.doc().setCell(1, 1, "old");
        QTest::keyClick(f.view(), Qt::Key_A);
        f.editor()->insert(u"€"_qs);   // as an input method types it
        QTest::keyClick(f.editor(), Qt::Key_Return);
        QVERIFY(f.form.Editing());
        QCOMPARE(f.editor()->text(), u"a€"_qs);
        QCOMPARE(f.grid().cell(1, 1), QByteArray("old"));
        QCOMPARE(log.messages(), QStringList{
            u"'€' (U+20AC) cannot be stored in row 1, conv str: Shift-JIS has no such character; nothing was changed"_qs});
        QTest::keyClick(f.editor(), Qt::Key_Down);   // nor does the cursor leave it
        QCOMPARE(f.grid().row(), 1);
        f.editor()->setText(u"a〜"_qs);
        QTest::keyClick(f.editor(), Qt::Key_Return);
        QVERIFY(!f.form.Editing());
        QCOMPARE(f.grid().cell(1, 1), QByteArray("a\x81\x60"));
    }

    void theEditorKeepsTheFirstLineOfAPasteAndCountsBytes()
    {
        LogCapture log;
        ShownForm f;
        QTest::keyClick(f.view(), Qt::Key_X);
        SetClipboardText(u"first\tcell\r\nsecond line"_qs);
        f.editor()->paste();
        QCOMPARE(f.editor()->text(), u"xfirst"_qs);
        QTRY_COMPARE(log.messages(), QStringList{
            u"row 1, conv str: only the first line of the pasted text went into the cell; the rest was left out"_qs});
        auto *editor = qobject_cast<CellEditor *>(f.editor());
        QCOMPARE(editor->byteCount(), u"6 / 60 bytes"_qs);
        editor->setText(u"表"_qs.repeated(31));
        QCOMPARE(editor->byteCount(), u"62 / 60 bytes"_qs);
        QTest::keyClick(f.editor(), Qt::Key_Return);
        QCOMPARE(f.grid().cell(1, 1).size(), 62);
    }

    void pasteWhileEditingKeepsThePastedText()
    {
        ShownForm f;
        QTest::keyClick(f.view(), Qt::Key_T);
        SetClipboardText(u"pasted"_qs);
        f.form.action(TableAction::GridPaste1)->trigger();
        QVERIFY(!f.form.Editing());
        QCOMPARE(f.grid().cell(1, 1), QByteArray("pasted"));
    }

    void deleteAndInsertAskAndKeep513Rows_data()
    {
        QTest::addColumn<bool>("insert");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QByteArray>("row3Number");
        QTest::newRow("delete") << false << true << u"選択された2行を削除します。"_qs << QByteArray("5");
        QTest::newRow("delete cancelled") << false << false << u"選択された2行を削除します。"_qs << QByteArray("3");
        QTest::newRow("insert") << true << true
                                << u"2行挿入します。\n末尾の入力済み1行（512行目）は押し出されて失われます。"_qs << QByteArray();
        QTest::newRow("insert cancelled") << true << false
                                          << u"2行挿入します。\n末尾の入力済み1行（512行目）は押し出されて失われます。"_qs
                                          << QByteArray("3");
    }
    void deleteAndInsertAskAndKeep513Rows()
    {
        QFETCH(bool, insert);
        QFETCH(bool, ok);
        QFETCH(QString, question);
        QFETCH(QByteArray, row3Number);
        FakePrompts prompts;
        prompts.confirmAnswer = ok;
        ShownForm f;
        f.doc().setCell(2, 512, "pushed out");
        f.select({1, 3, 2, 4});
        f.form.action(insert ? TableAction::GridInsert1 : TableAction::GridDelete1)->trigger();
        QCOMPARE(prompts.asked, QStringList{question});
        QCOMPARE(f.grid().rowCount(), 513);
        QCOMPARE(f.view()->model()->rowCount(), 512);
        QCOMPARE(f.grid().cell(0, 3), row3Number);
        QCOMPARE(f.form.Modified(), ok);
        QCOMPARE(f.grid().selection(), (GridRect{1, 3, 2, 4}));
        QVERIFY(f.view()->selectionModel()->isSelected(f.index(2, 4)));
    }

    void deletingAllRowsLogsTheErrorAndKeepsTheTable()
    {
        FakePrompts prompts;
        LogCapture log;
        ShownForm f;
        f.doc().setCell(2, 512, "last");
        f.form.action(TableAction::SelectAll1)->trigger();
        QCOMPARE(f.grid().selection(), (GridRect{1, 1, 2, 512}));
        f.form.action(TableAction::GridDelete1)->trigger();
        QCOMPARE(prompts.asked, QStringList{u"選択された512行を削除します。"_qs});
        QCOMPARE(log.messages(), QStringList{u"GridDeleteRow; row count too few"_qs});
        QCOMPARE(log.lines[0].colour, zered::clMagenta);
        QCOMPARE(f.grid().rowCount(), 513);
        QCOMPARE(f.grid().cell(2, 512), QByteArray("last"));
        QVERIFY(!f.form.Modified());
    }

    void clearAsksAndKeepsHeadersAndNumbers()
    {
        FakePrompts prompts;
        ShownForm f;
        f.doc().setCell(1, 9, "x");
        prompts.confirmAnswer = false;
        f.form.action(TableAction::Clear1)->trigger();
        QCOMPARE(f.grid().cell(1, 9), QByteArray("x"));
        prompts.confirmAnswer = true;
        f.form.action(TableAction::Clear1)->trigger();
        QCOMPARE(prompts.asked, QStringList(2, u"全テーブルをクリアします。よろしいですか？"_qs));
        QVERIFY(f.grid().cell(1, 9).isEmpty());
        QCOMPARE(f.grid().cell(0, 9), QByteArray("9"));
        QVERIFY(f.form.Modified());
    }

    void selectAllEndsEditingFirst()
    {
        ShownForm f;
        QTest::keyClick(f.view(), Qt::Key_S);
        f.form.action(TableAction::SelectAll1)->trigger();
        QVERIFY(!f.form.Editing());
        QCOMPARE(f.grid().cell(1, 1), QByteArray("s"));
        QCOMPARE(f.view()->selectionModel()->selectedIndexes().size(), 1024);
    }

    void anotherWindowActivatedEndsEditing()
    {
        QMdiArea area;
        auto *a = new TTextList2Form, *b = new TTextList2Form;
        area.addSubWindow(a)->show();
        area.addSubWindow(b)->show();
        area.show();
        QVERIFY(QTest::qWaitForWindowActive(&area));
        area.setActiveSubWindow(qobject_cast<QMdiSubWindow *>(a->parentWidget()));
        a->SetEditing(true);
        QVERIFY(a->grid()->isEditing());
        area.setActiveSubWindow(qobject_cast<QMdiSubWindow *>(b->parentWidget()));
        QTRY_VERIFY(!a->Editing());
        QVERIFY(!a->grid()->isEditing());
    }

    void noEditorWithoutACurrentCell()
    {
        LogCapture log;
        TTextList2Form form;
        form.grid()->selectionModel()->clearCurrentIndex();
        QTest::ignoreMessage(QtWarningMsg, "edit: index was invalid");
        QTest::ignoreMessage(QtWarningMsg, "edit: editing failed");
        bool raised = false;
        try {
            form.SetEditing(true);
        } catch (const OstrelError &e) {
            raised = e.message() == u"GetGridEditor(); no edit"_qs;
        }
        QVERIFY(raised);
        QVERIFY(!form.Editing());
        QCOMPARE(form.grid()->selectionMode(), QAbstractItemView::ContiguousSelection);
    }

    void hints_data()
    {
        QTest::addColumn<bool>("japanese");
        QTest::addColumn<int>("where");   // 0 header of column 2, 1 a barcode cell, 2 a row number
        QTest::addColumn<QString>("hint");
        QTest::newRow("English header") << false << 0 << u"\r\n"_qs;
        QTest::newRow("English cell") << false << 1 << QString();
        QTest::newRow("Japanese header") << true << 0 << u"列幅\r\nバーコード"_qs;
        QTest::newRow("Japanese cell") << true << 1 << u"バーコード"_qs;
        QTest::newRow("Japanese row number") << true << 2 << u"行番号"_qs;
    }
    void hints()
    {
        QFETCH(bool, japanese);
        QFETCH(int, where);
        QFETCH(QString, hint);
        if (japanese)
            SetTableTextLookup([](const QString &key) {
                if (key == u"TextGrid.RowHint0")
                    return u"列幅"_qs;
                if (key == u"TextGrid.ColHint2")
                    return u"バーコード"_qs;
                return key == u"TextGrid.ColHint0" ? u"行番号"_qs : QString();
            });
        const auto restore = qScopeGuard([] { SetTableTextLookup(nullptr); });
        ShownForm f;
        QWidget *target = f.view()->viewport();
        QPoint pos = f.cellCentre(2, 3);
        if (where == 0) {
            target = f.view()->horizontalHeader()->viewport();
            pos = QPoint(f.view()->horizontalHeader()->sectionViewportPosition(1) + 30, 5);
        } else if (where == 2) {
            target = f.view()->verticalHeader()->viewport();
            pos = QPoint(5, f.view()->verticalHeader()->sectionViewportPosition(4) + 5);
        }
        f.view()->setStatusTip(u"stale"_qs);
        QMouseEvent move(QEvent::MouseMove, pos, target->mapToGlobal(pos), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        QCOMPARE(f.view()->statusTip(), hint);
    }
};

QTEST_MAIN(TestGridEditing)
#include "test_grid_editing.moc"
