#include "common/codepage.h"
#include "common/linked_menu_item.h"
#include "common/user_prompts.h"
#include "common/zered_lang.h"
#include "common/zered_locale.h"
#include "device/port_selection.h"
#include "documents/cell_editor.h"
#include "documents/grid_hints.h"
#include "documents/table_grid_model.h"
#include "documents/text_grid_view.h"
#include "documents/textlist_form.h"
#include "default_locale.h"
#include "fake_prompts.h"
#include "log_capture.h"
#include "shell/barcodemain.h"
#include "shell/main_actions.h"
#include "shell/shell_test_helpers.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QRegularExpression>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QTableView>
#include <QTest>

namespace {

const QLocale Japanese(QLocale::Japanese, QLocale::Japan);
const QLocale English(QLocale::English, QLocale::UnitedStates);

QString ButtonText(const TOstrelMain &main, const char *name)
{
    auto *button = main.headPanel()->findChild<QPushButton *>(QLatin1String(name));
    return button ? button->text() : u"(no button)"_qs;
}

QMenu *MenuNamed(const TOstrelMain &main, const char *name)
{
    return main.menuBar()->findChild<QMenu *>(QLatin1String(name));
}

QString HeaderText(TTextList2Form *form, int section)
{
    return form->grid()->model()->headerData(section, Qt::Horizontal, Qt::DisplayRole).toString();
}

// Names of the objects in the main window (its table windows aside) that carry a hint.
QStringList HintedNames(const TOstrelMain &main)
{
    QStringList names;
    for (QObject *o : main.findChildren<QObject *>()) {
        QString tip;
        if (auto *w = qobject_cast<QWidget *>(o))
            tip = w->statusTip();
        else if (auto *a = qobject_cast<QAction *>(o))
            tip = a->statusTip();
        if (!tip.isEmpty())
            names.append(o->objectName());
    }
    names.sort();
    return names;
}

// "name: text" for each text under root that holds an English word; the
// product's own names and key names pass.
QStringList EnglishTexts(QObject *root)
{
    static const QRegularExpression word(u"[A-Za-z]{2,}"_qs), names(u"KOV-Ostrel Manager ver|KOV|\\(Esc\\)"_qs);
    QStringList found;
    QObjectList objects = root->findChildren<QObject *>();
    objects.append(root);
    for (QObject *o : std::as_const(objects)) {
        QStringList texts;
        if (auto *button = qobject_cast<QAbstractButton *>(o))
            texts << button->text();
        else if (auto *label = qobject_cast<QLabel *>(o))
            texts << label->text();
        else if (auto *box = qobject_cast<QGroupBox *>(o))
            texts << box->title();
        else if (auto *menu = qobject_cast<QMenu *>(o))
            texts << menu->title();
        else if (auto *action = qobject_cast<QAction *>(o))
            for (QObject *shownIn : action->associatedObjects())
                if (qobject_cast<QMenu *>(shownIn) && !texts.contains(action->text()))
                    texts << action->text();
        if (auto *widget = qobject_cast<QWidget *>(o); widget && widget->isWindow())
            texts << widget->windowTitle();
        for (const QString &text : std::as_const(texts))
            if (QString(text).remove(names).contains(word))
                found << o->objectName() + u": "_qs + text;
    }
    return found;
}

} // namespace

class TestLocalisation : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void applyLocaleSetsEachKind()
    {
        LogCapture capture;
        const TZeredLang lang(u"LocaleCases"_qs, QString());
        QWidget form;
        form.setObjectName(u"Form1"_qs);
        auto *grid = new QTableView(&form);
        grid->setObjectName(u"Grid1"_qs);
        auto *view = new QLabel(u"view"_qs, &form);
        view->setObjectName(u"ViewLabel"_qs);
        auto *empty = new QLabel(u"empty"_qs, &form);
        empty->setObjectName(u"EmptyLabel"_qs);
        empty->setStatusTip(u"built-in hint"_qs);
        auto *multi = new QPushButton(u"multi"_qs, &form);
        multi->setObjectName(u"Multi"_qs);
        auto *box = new QGroupBox(u"box"_qs, &form);
        box->setObjectName(u"Box1"_qs);
        auto *button = new QPushButton(u"button"_qs, box);   // owned one level down
        button->setObjectName(u"Button1"_qs);
        auto *menu = new QMenu(u"menu"_qs, &form);
        menu->setObjectName(u"Menu1"_qs);
        auto *action = new QAction(u"action"_qs, &form);
        action->setObjectName(u"Action1"_qs);
        menu->addAction(action);
        auto *exit = new QAction(u"exit"_qs, &form);
        exit->setObjectName(u"FileExit1"_qs);
        auto *untouched = new QLabel(u"keeps"_qs, &form);
        untouched->setObjectName(u"Untouched"_qs);

        ApplyLocale(lang, &form);

        QCOMPARE(capture.messages(), QStringList{u"ApplyLocale(); not support Grid1.Caption"_qs});
        QCOMPARE(capture.lines.first().colour, zered::clMagenta);
        QCOMPARE(form.windowTitle(), u"form"_qs);
        QCOMPARE(view->statusTip(), u"lower-case property word"_qs);
        QCOMPARE(view->text(), u"view"_qs);
        QCOMPARE(empty->statusTip(), QString());
        QCOMPARE(multi->text(), u"one#13#10two"_qs);
        QCOMPARE(multi->statusTip(), u"line one\r\nline two"_qs);
        QCOMPARE(box->title(), u"group"_qs);
        QCOMPARE(button->text(), u"Push"_qs);
        QCOMPARE(menu->title(), u"&Menu"_qs);
        QCOMPARE(menu->menuAction()->statusTip(), u"menu hint"_qs);
        QCOMPARE(action->text(), u"&Act"_qs);
        QCOMPARE(action->statusTip(), u"act hint"_qs);
        QCOMPARE(menu->actions().first()->text(), u"&Act"_qs);
        QCOMPARE(exit->text(), u"first"_qs);
        QCOMPARE(untouched->text(), u"keeps"_qs);
        QCOMPARE(untouched->statusTip(), QString());
    }

    void comboItemsReplacedSelectionKept_data()
    {
        QTest::addColumn<bool>("editable");
        QTest::addColumn<int>("selected");
        QTest::newRow("list, second selected") << false << 1;
        QTest::newRow("editable, third selected") << true << 2;
        QTest::newRow("nothing selected") << false << -1;
    }
    void comboItemsReplacedSelectionKept()
    {
        QFETCH(bool, editable);
        QFETCH(int, selected);
        const TZeredLang lang(u"LocaleCases"_qs, QString());
        QWidget form;
        auto *combo = new QComboBox(&form);
        combo->setObjectName(u"Combo1"_qs);
        combo->setEditable(editable);
        combo->addItems({u"one"_qs, u"two"_qs, u"three"_qs, u"four"_qs, u"five"_qs});
        combo->setCurrentIndex(selected);
        auto *edit = new QComboBox(&form);
        edit->setObjectName(u"Edit1"_qs);
        edit->setEditable(true);
        edit->addItem(u"old"_qs);
        ApplyLocale(lang, &form);
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items.append(combo->itemText(i));
        QCOMPARE(items, (QStringList{u"alpha"_qs, u"beta"_qs, u"gamma"_qs}));
        QCOMPARE(combo->currentIndex(), selected);
        QCOMPARE(edit->currentText(), u"typed"_qs);
        QCOMPARE(edit->count(), 1);
    }

    void menuItemFollowsItsAction()
    {
        QWidget form;
        auto *action = new QAction(u"&Insert"_qs, &form);
        action->setShortcut(QKeySequence(u"Ctrl+I"_qs));
        action->setStatusTip(u"insert rows"_qs);
        QMenu menu;
        QAction *item = LinkedMenuItem(u"Insert1"_qs, action, &menu);
        QCOMPARE(item->objectName(), u"Insert1"_qs);
        QCOMPARE(item->text(), u"&Insert"_qs);
        QCOMPARE(item->shortcut(), QKeySequence(u"Ctrl+I"_qs));
        QCOMPARE(item->statusTip(), u"insert rows"_qs);
        int runs = 0;
        connect(action, &QAction::triggered, &form, [&runs] { ++runs; });
        item->trigger();
        QCOMPARE(runs, 1);
        item->setText(u"own caption"_qs);
        action->setEnabled(false);
        QVERIFY(!item->isEnabled());
        QCOMPARE(item->text(), u"own caption"_qs);   // an unrelated change keeps it
        action->setText(u"new caption"_qs);
        action->setStatusTip(u"new hint"_qs);
        QCOMPARE(item->text(), u"new caption"_qs);
        QCOMPARE(item->statusTip(), u"new hint"_qs);
    }

    void japaneseMainWindow()
    {
        const DefaultLocale pinned(Japanese);
        FakePrompts prompts;
        TOstrelMain main;
        main.show();
        QCOMPARE(MenuNamed(main, "FileMenu")->title(), u"ファイル(&F)"_qs);
        QCOMPARE(MenuNamed(main, "FileMenu")->menuAction()->statusTip(), u"ファイル操作関連メニュー"_qs);
        QCOMPARE(MenuNamed(main, "FileRecentMenu")->title(), u"最近使ったファイル(&R)"_qs);
        QCOMPARE(MenuNamed(main, "SearchMenu")->title(), u"検索(&S)"_qs);
        QCOMPARE(MenuNamed(main, "KOV1")->title(), u"&KOV"_qs);
        QCOMPARE(MenuNamed(main, "WindowMenu")->title(), u"ウィンドウ(&W)"_qs);
        QCOMPARE(MenuNamed(main, "Help1")->title(), u"ヘルプ(&H)"_qs);
        QCOMPARE(main.action(MainAction::FileExit1)->text(), u"終了(&X)"_qs);
        QCOMPARE(main.action(MainAction::Recv1)->text(), u"読込み(&R)"_qs);
        QCOMPARE(main.action(MainAction::WindowTileVertical1)->statusTip(), u"垂直に並べる(&V)"_qs);
        QCOMPARE(MenuNamed(main, "FileMenu")->actions().first()->text(), u"新規(&N)"_qs);
        QCOMPARE(ButtonText(main, "ButtonF2"), u"F2:開く..."_qs);
        QCOMPARE(ButtonText(main, "ButtonF3"), u"F3:保存..."_qs);
        QCOMPARE(ButtonText(main, "Button1"), u"F5:読込み"_qs);
        QCOMPARE(ButtonText(main, "Button2"), u"F6:書込み..."_qs);
        QCOMPARE(ButtonText(main, "Button5"), u"F12:終了"_qs);
        auto *head = main.headPanel()->findChild<QLabel *>(u"HeadNoLabel"_qs);
        QCOMPARE(head->text(), u"ヘッド:"_qs);
        QCOMPARE(head->statusTip(), QString());
        QCOMPARE(main.headPanel()->findChild<QLabel *>(u"PortLabel"_qs)->text(), u"ポート:"_qs);
        QCOMPARE(main.portCombo()->statusTip(), u"KOVとの通信に用いるシリアルポートの名前を指定します。"_qs);
        QCOMPARE(AvailablePorts().first().label, u"USB — KOV Vision Sensor が見つかりません"_qs);
        QCOMPARE(main.hintMemo()->statusTip(), u"簡単な説明を表示します。"_qs);
        QCOMPARE(main.findChild<QWidget *>(u"MessageSplitter"_qs)->statusTip(),
                 u"メッセージ画面のサイズを変更します。"_qs);
        // The banner names the window as it stands once localised; nothing failed on the way.
        QVERIFY(LogLines(main, true).first().startsWith(u"KOV-Ostrel Manager version"_qs));
        QCOMPARE(LogLines(main), QStringList());

        main.action(MainAction::SearchFind1)->showStatusText(&main);
        QCOMPARE(main.hintMemo()->toPlainText(), u"指定された文字列を検索する"_qs);
    }

    void japaneseEverywhere()
    {
        const DefaultLocale pinned(Japanese);
        FakePrompts prompts;
        TOstrelMain main;
        main.show();
        TTextList2Form *form = main.NewDocument(QString());
        form->document().setCell(1, 1, "a");
        form->CheckTable1Execute();
        form->document().InsertSelectedRows();   // the undo command names the step
        QCoreApplication::sendPostedEvents();    // Qt's own dialogs take the language change
        QCoreApplication::sendPostedEvents();
        const QStringList english = EnglishTexts(&main);
        QVERIFY2(english.isEmpty(), qPrintable(english.join(u'\n')));
    }

    void promptMeaningShownOutsideJapanese_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("meaning");
        QTest::newRow("English") << English << u"This deletes the 2 selected rows."_qs;
        QTest::newRow("Japanese") << Japanese << QString();
    }
    void promptMeaningShownOutsideJapanese()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, meaning);
        const DefaultLocale pinned(locale);
        TOstrelMain main;
        QString shown, informative;
        QTimer::singleShot(0, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                shown = box->text();
                informative = box->informativeText();
                box->reject();
            }
        });
        Prompts().Confirm(u"選択された2行を削除します。"_qs);
        QCOMPARE(shown, u"選択された2行を削除します。"_qs);
        QCOMPARE(informative, meaning);
    }

    // While a cell is edited the hint pane and the editor count what is typed.
    void byteCountsFollowTheTypedText_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("typing");
        QTest::addColumn<QString>("kept");
        QTest::newRow("English") << English << u"conv str, row 1: 3 / 60 bytes"_qs
                                 << u"conv str, row 1: 1 / 60 bytes"_qs;
        QTest::newRow("Japanese") << Japanese << u"変換文字列 1行目: 3 / 60 バイト"_qs
                                  << u"変換文字列 1行目: 1 / 60 バイト"_qs;
    }
    void byteCountsFollowTheTypedText()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, typing);
        QFETCH(QString, kept);
        const DefaultLocale pinned(locale);
        TOstrelMain main;
        main.show();
        TTextList2Form *form = main.NewDocument(QString());
        form->document().setCell(ConvStrColumn, 1, "a");
        form->document().MoveCursor(ConvStrColumn, 1);
        form->grid()->SetEditing(true);
        auto &editor = static_cast<CellEditor &>(GetGridEditor(*form->grid()));
        editor.insert(u"表"_qs);   // in place of the selected text, then one typed
        QTest::keyClick(&editor, Qt::Key_X);
        QCOMPARE(main.hintMemo()->toPlainText(), typing);
        QVERIFY(typing.endsWith(u' ' + editor.byteCount()));
        QTest::keyClick(&editor, Qt::Key_Escape);   // dropped: the cell's own count again
        QCOMPARE(main.hintMemo()->toPlainText(), kept);
    }

    void japaneseTableWindows()
    {
        const DefaultLocale pinned(Japanese);
        FakePrompts prompts;
        TOstrelMain main;
        main.show();
        TTextList2Form *first = main.NewDocument(QString());
        TTextList2Form *second = main.NewDocument(QString());
        QCOMPARE(second->UntitledNumber(), first->UntitledNumber() + 1);
        QCOMPARE(first->windowTitle(), u"名称未設定%1"_qs.arg(first->UntitledNumber()));
        QCOMPARE(second->windowTitle(), u"名称未設定%1"_qs.arg(second->UntitledNumber()));
        QCOMPARE(first->action(TableAction::Recv1)->text(), u"読込み(&R)"_qs);
        QCOMPARE(first->popupMenu()->findChild<QAction *>(u"SendtoKOV1"_qs)->text(), u"書込み(&W)..."_qs);
        QCOMPARE(first->popupMenu()->actions().last()->text(), u"テーブルの検査(&K)"_qs);
        QCOMPARE(first->popupMenu()->findChild<QAction *>(u"ComparewithKOV1"_qs)->text(), u"コントローラと比較(&C)"_qs);
        // The table names the popup's item Insert1, not the action behind it.
        QMenu *popup = first->popupMenu();
        QAction *insertItem = popup->findChild<QAction *>(u"Insert1"_qs);
        QCOMPARE(insertItem->text(), u"行挿入(&I)..."_qs);
        QCOMPARE(insertItem->statusTip(), u"指定行数空データを挿入します。以降一行ずつ後ろにずれ込み、最下行のデータは失われます。"_qs);
        QCOMPARE(first->action(TableAction::GridInsert1)->text(), u"行挿入(&I)..."_qs);
        QCOMPARE(popup->findChild<QAction *>(u"ReceivefromKOV1"_qs)->text(), u"読込み(&R)"_qs);
        QCOMPARE(first->recvLabel()->statusTip(), u"受信日時"_qs);
        QCOMPARE(HeaderText(first, 0), u"変換文字列"_qs);
        QCOMPARE(HeaderText(first, 1), u"バーコード"_qs);
        QCOMPARE(first->document().grid().cell(ConvStrColumn, 0), EncodeCp932(u"変換文字列"_qs));
        QCOMPARE(first->document().grid().cell(BarcodeColumn, 0), EncodeCp932(u"バーコード"_qs));
        QCOMPARE(TextGridHint(2, 0), u"列の区切りをドラッグすると列幅を変更できます。\r\nバーコード(68バイト);"_qs);
    }

    void qtDialogsSpeakTheLanguage()
    {
        const QString catalogue = QLibraryInfo::path(QLibraryInfo::TranslationsPath) + u"/qtbase_ja.qm"_qs;
        if (!QFile::exists(catalogue))
            QSKIP("Qt's Japanese translation is not installed");
        const DefaultLocale pinned(Japanese);
        FakePrompts prompts;
        {
            TOstrelMain main;
            QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), u"キャンセル"_qs);
        }
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), u"Cancel"_qs);
    }

    void englishKeepsCaptionsAndHintsWhatJapaneseHints()
    {
        const QStringList japanese = [] {
            const DefaultLocale pinned(Japanese);
            FakePrompts prompts;
            TOstrelMain main;
            main.NewDocument(QString());
            return HintedNames(main);
        }();
        const DefaultLocale pinned(English);
        FakePrompts prompts;
        TOstrelMain main;
        main.show();
        for (std::size_t i = 0; i < MainActionSpecs.size(); ++i)
            QCOMPARE(main.action(MainAction(i))->text(),
                     QString::fromUtf8(MainActionSpecs[i].caption.data(), qsizetype(MainActionSpecs[i].caption.size())));
        QCOMPARE(MenuNamed(main, "FileMenu")->title(), u"&File"_qs);
        QCOMPARE(ButtonText(main, "ButtonF2"), u"F2:&Open ..."_qs);
        QCOMPARE(main.findChild<QWidget *>(u"MessageSplitter"_qs)->statusTip(), u"resize massage pane."_qs);
        QCOMPARE(main.messagePane()->statusTip(), u"display operation log and messages."_qs);
        TTextList2Form *form = main.NewDocument(QString());
        const QStringList english = HintedNames(main);
        for (const QString &name : japanese)
            QVERIFY2(english.contains(name), qPrintable(name + u" has a Japanese hint only"_qs));
        QVERIFY(japanese.contains(u"ReplaceAll"_qs) && japanese.contains(u"FillSeries1"_qs));
        QCOMPARE(form->windowTitle(), u"untitled"_qs);
        QCOMPARE(form->action(TableAction::Recv1)->text(), u"&Receive from KOV"_qs);
        QCOMPARE(form->action(TableAction::FillDown1)->statusTip(),
                 u"copy the top cell of each selected column into the selected cells below it."_qs);
        QCOMPARE(HeaderText(form, 0), u"conv str"_qs);
        QCOMPARE(HeaderText(form, 1), u"bar code"_qs);
        QCOMPARE(TextGridHint(2, 0), u"drag a column border to change the column's width.\r\nbar code (68 bytes);"_qs);
        QCOMPARE(LogLines(main), QStringList());
    }

    void languageWithoutTableStaysEnglish()
    {
        const DefaultLocale pinned(QLocale(QLocale::German, QLocale::Germany));
        FakePrompts prompts;
        TOstrelMain main;
        const QStringList lines = LogLines(main, true);
        QCOMPARE(lines.filter(u"TZeredLang; "_qs), QStringList{u"TZeredLang; Resource StringTableDE not found"_qs});
        QVERIFY(lines.first().startsWith(u"TZeredLang; "_qs));   // before the banner
        QCOMPARE(MenuNamed(main, "FileMenu")->title(), u"&File"_qs);
        QCOMPARE(main.messagePane()->statusTip(), QString());
        QCOMPARE(main.NewDocument(QString())->windowTitle(), u"untitled"_qs);
    }

    void hintLineBreakReachesTheHintPane()
    {
        const TZeredLang lang(u"LocaleCases"_qs, QString());
        FakePrompts prompts;
        TOstrelMain main;
        auto *label = new QLabel(u"multi"_qs, main.headPanel());
        label->setObjectName(u"Multi"_qs);
        ApplyLocale(lang, label);
        QStatusTipEvent tip(label->statusTip());
        QCoreApplication::sendEvent(&main, &tip);
        QCOMPARE(main.hintMemo()->document()->blockCount(), 2);
        QCOMPARE(main.hintMemo()->document()->firstBlock().text(), u"line one"_qs);
        QCOMPARE(main.hintMemo()->document()->lastBlock().text(), u"line two"_qs);
        QCOMPARE(label->text(), u"one#13#10two"_qs);   // a caption keeps the six characters
    }
};

QTEST_MAIN(TestLocalisation)
#include "test_localisation.moc"
