#include "common/captions.h"
#include "common/file_dialog.h"
#include "common/settings_store.h"
#include "common/zered_gui.h"
#include "documents/table_document.h"
#include "documents/textlist_form.h"
#include "fake_prompts.h"
#include "shell/barcodemain.h"
#include "shell/file_commands.h"
#include "shell_test_helpers.h"
#include "test_support.h"

#include <QAction>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTest>

namespace {

constexpr int CsvFilter = 1;
constexpr int BinaryFilter = 2;
constexpr int AllFilesFilter = 3;
constexpr int SheetFilter = 4;


// A binary table file whose first entry is conv/bar.
QString WriteBinaryTable(const QTemporaryDir &dir, const QString &name)
{
    TableDocument doc;
    doc.setCell(1, 1, "conv");
    doc.setCell(2, 1, "bar");
    const QString path = dir.filePath(name);
    doc.SaveToFile(path, BinaryFilter);
    return path;
}

// The submenu's item texts as they stand; the separator reads "-".
QStringList MenuTexts(const TOstrelMain &main)
{
    QStringList texts;
    for (QAction *a : main.fileCommands().recentMenu()->actions())
        texts.append(a->isSeparator() ? u"-"_qs : a->text());
    return texts;
}

QAction *MenuEntry(const TOstrelMain &main, const QString &path)
{
    for (QAction *a : main.fileCommands().recentMenu()->actions())
        if (!a->isSeparator() && CaptionToPath(a->text()) == path)
            return a;
    return nullptr;
}

TTextList2Form *ActiveTable(const TOstrelMain &main)
{
    return main.activeTable();
}

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void dialogsShowTheTableFilters_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::newRow("open") << u"open"_qs;
        QTest::newRow("save") << u"save"_qs;
        QTest::newRow("save as") << u"save as"_qs;
    }
    void dialogsShowTheTableFilters()
    {
        QFETCH(QString, dialog);
        TOstrelMain main;
        FileCommands &commands = main.fileCommands();
        TFileDialog &d = dialog == u"open" ? commands.openDialog()
                         : dialog == u"save" ? commands.saveDialog() : commands.saveAsDialog();
        auto *types = d.findChild<QComboBox *>(u"fileTypeCombo"_qs);
        QVERIFY(types);
        QStringList shown;
        for (int i = 0; i < types->count(); ++i)
            shown.append(types->itemText(i));
        QCOMPARE(shown, (QStringList{u"CSV/text (*.csv;*.txt)"_qs, u"binary file(*.bin,*.dat)"_qs, u"all files(*.*)"_qs,
                                     u"spreadsheet CSV, UTF-8 (*.csv)"_qs, u"Excel workbook (*.xlsx)"_qs}));
        QCOMPARE(d.defaultSuffix(), u"csv"_qs);
        QCOMPARE(d.FilterIndex(), 1);
        const bool open = dialog == u"open";
        QCOMPARE(d.fileMode(), open ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
        QCOMPARE(d.acceptMode(), open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        QVERIFY(!d.testOption(QFileDialog::DontConfirmOverwrite));
        QVERIFY(d.isSizeGripEnabled());
        // Each index is the file kind: the filter's patterns follow it.
        for (int index = 1; index <= 5; ++index) {
            d.selectNameFilter(d.nameFilters().at(index - 1));
            QCOMPARE(d.FilterIndex(), index);
        }
    }

    void openLoadsByTheChosenFilter_data()
    {
        QTest::addColumn<int>("filter");
        QTest::addColumn<bool>("binaryFile");
        QTest::addColumn<int>("fileKind");
        QTest::addColumn<bool>("listed");
        QTest::newRow("binary filter") << BinaryFilter << true << BinaryFilter << false;
        QTest::newRow("CSV/text filter on a .bin") << CsvFilter << false << -1 << true;
        QTest::newRow("all files on a .bin") << AllFilesFilter << false << -1 << true;
        QTest::newRow("all files on an image") << AllFilesFilter << true << BinaryFilter << true;
        QTest::newRow("spreadsheet CSV") << SheetFilter << false << SheetFilter << true;
    }
    void openLoadsByTheChosenFilter()
    {
        QFETCH(int, filter);
        QFETCH(bool, binaryFile);
        QFETCH(int, fileKind);
        QFETCH(bool, listed);
        QTemporaryDir dir;
        const QString path = binaryFile ? WriteBinaryTable(dir, u"t.bin"_qs)
                                        : WriteFile(dir, u"t.bin"_qs, "conv,bar\r\n");
        FakePrompts prompts;
        TOstrelMain main;
        main.fileCommands().AddRecent(u"/old/x.csv"_qs);
        prompts.fileAnswers = {{{path}, filter}};
        main.action(MainAction::FileOpen1)->trigger();
        TTextList2Form *form = ActiveTable(main);
        QVERIFY(form);
        QCOMPARE(form->FileName(), path);
        QCOMPARE(form->document().fileKind(), fileKind);
        QCOMPARE(form->document().grid().cell(1, 1), QByteArray("conv"));
        QCOMPARE(form->document().grid().cell(2, 1), QByteArray("bar"));
        const QStringList files = listed ? QStringList{path, u"/old/x.csv"_qs} : QStringList{u"/old/x.csv"_qs};
        const QStringList folders = listed ? QStringList{dir.path() + u'/', u"/old/"_qs} : QStringList{u"/old/"_qs};
        QCOMPARE(RecentFiles(main), files);
        QCOMPARE(RecentFolders(main), folders);
    }

    void severalFilesOpenUntilOneFails_data()
    {
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QString>("message");
        // The window created for the failed load stays.
        QTest::newRow("text, empty file") << CsvFilter << u"empty.csv"_qs << u"csv empty"_qs;
        QTest::newRow("binary, short file") << BinaryFilter << u"empty.csv"_qs << u"size missmacthed"_qs;
    }
    void severalFilesOpenUntilOneFails()
    {
        QFETCH(int, filter);
        QFETCH(QString, failing);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString first = filter == BinaryFilter ? WriteBinaryTable(dir, u"a.csv"_qs)
                                                     : WriteFile(dir, u"a.csv"_qs, "a,1\r\n");
        const QString last = filter == BinaryFilter ? WriteBinaryTable(dir, u"c.csv"_qs)
                                                    : WriteFile(dir, u"c.csv"_qs, "c,3\r\n");
        WriteFile(dir, u"empty.csv"_qs, QByteArray());
        FakePrompts prompts;
        TOstrelMain main;
        main.show();
        // A maximized window would make the new ones open maximized too.
        main.NewDocument(QString());
        main.SetActiveChildState(false);
        prompts.fileAnswers = {{{first, dir.filePath(failing), last}, filter}};
        main.action(MainAction::FileOpen1)->trigger();
        QCOMPARE(WindowCount(main), 3);   // the one there before, the first file, the failed one
        QVERIFY(!main.documentArea()->currentSubWindow()->isMaximized());
        QStringList opened;
        for (TTextList2Form *child : main.documents())
            opened.append(child->FileName());
        QVERIFY(opened.contains(first));
        QVERIFY(!opened.contains(last));
        QCOMPARE(WithoutLoadAndSaveTimes(LogLines(main)), QStringList{message});
        QCOMPARE(RecentFiles(main), filter == BinaryFilter ? QStringList{} : QStringList{first});
    }

    void saveAsWritesByTheChosenFilter_data()
    {
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("listed");
        QTest::newRow("binary") << BinaryFilter << u"t.bin"_qs << u"t.bin"_qs << 65536 << false;
        QTest::newRow("binary, no extension") << BinaryFilter << u"t"_qs << u"t.bin"_qs << 65536 << false;
        QTest::newRow("CSV/text") << CsvFilter << u"t.csv"_qs << u"t.csv"_qs << 1536 << true;
        QTest::newRow("CSV/text, no extension") << CsvFilter << u"t"_qs << u"t.csv"_qs << 1536 << true;
        QTest::newRow("all files, no extension") << AllFilesFilter << u"t"_qs << u"t"_qs << 1536 << true;
    }
    void saveAsWritesByTheChosenFilter()
    {
        QFETCH(int, filter);
        QFETCH(QString, typed);
        QFETCH(QString, saved);
        QFETCH(int, size);
        QFETCH(bool, listed);
        QTemporaryDir dir;
        FakePrompts prompts;
        TOstrelMain main;
        TTextList2Form *form = main.NewDocument(QString());
        form->SetModified(true);
        prompts.fileAnswers = {{{dir.filePath(typed)}, filter}};
        main.action(MainAction::FileSaveAs1)->trigger();
        const QString target = dir.filePath(saved);
        QCOMPARE(FileBytes(target).size(), size);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{saved});
        QCOMPARE(form->FileName(), target);
        QVERIFY(!form->IsModified());
        QCOMPARE(RecentFiles(main), listed ? QStringList{target} : QStringList{});
        QCOMPARE(RecentFolders(main), listed ? QStringList{dir.path() + u'/'} : QStringList{});
    }

    void typeChangeSetsTheDefaultExtension_data()
    {
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("CSV/text") << CsvFilter << u"csv"_qs;
        QTest::newRow("binary") << BinaryFilter << u"bin"_qs;
        QTest::newRow("all files") << AllFilesFilter << QString();
        QTest::newRow("Excel workbook") << 5 << u"xlsx"_qs;
    }
    void typeChangeSetsTheDefaultExtension()
    {
        QFETCH(int, filter);
        QFETCH(QString, suffix);
        FakePrompts prompts;
        TOstrelMain main;
        main.NewDocument(QString());
        for (MainAction name : {MainAction::FileSave1, MainAction::FileSaveAs1}) {
            prompts.fileAnswers = {{{}, BinaryFilter}, {{}, filter}};   // both cancelled
            main.action(name)->trigger();
            main.action(name)->trigger();
        }
        QCOMPARE(main.fileCommands().saveDialog().defaultSuffix(), suffix);
        QCOMPARE(main.fileCommands().saveAsDialog().defaultSuffix(), suffix);
        // The dialogs keep their filter for the next use.
        QCOMPARE(main.fileCommands().saveAsDialog().FilterIndex(), filter);
        QCOMPARE(main.fileCommands().openDialog().defaultSuffix(), u"csv"_qs);
    }

    void laterSaveKeepsTheSaveAsFormat_data()
    {
        QTest::addColumn<bool>("loadedFromBinary");
        QTest::addColumn<int>("filter");
        QTest::addColumn<int>("size");
        QTest::newRow("binary window saved as CSV/text") << true << CsvFilter << 1536 + 7;   // "conv,bar"
        QTest::newRow("new window saved as binary") << false << BinaryFilter << 65536;
    }
    void laterSaveKeepsTheSaveAsFormat()
    {
        QFETCH(bool, loadedFromBinary);
        QFETCH(int, filter);
        QFETCH(int, size);
        QTemporaryDir dir;
        FakePrompts prompts;
        TOstrelMain main;
        if (loadedFromBinary) {
            prompts.fileAnswers = {{{WriteBinaryTable(dir, u"in.bin"_qs)}, BinaryFilter}};
            main.action(MainAction::FileOpen1)->trigger();
        } else {
            main.NewDocument(QString());
        }
        TTextList2Form *form = ActiveTable(main);
        const QString target = dir.filePath(u"out.dat"_qs);
        prompts.fileAnswers = {{{target}, filter}};
        main.action(MainAction::FileSaveAs1)->trigger();
        QCOMPARE(FileBytes(target).size(), size);
        QFile::remove(target);
        form->SetModified(true);
        main.action(MainAction::FileSaveOverwrite1)->trigger();
        QCOMPARE(FileBytes(target).size(), size);
        QCOMPARE(prompts.fileDialogs, loadedFromBinary ? 2 : 1);
    }

    void saveNeedsAName_data()
    {
        QTest::addColumn<bool>("named");
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<int>("dialogs");
        QTest::addColumn<bool>("logged");
        QTest::newRow("named") << true << false << 0 << true;
        QTest::newRow("untitled, Save As confirmed") << false << false << 1 << true;
        QTest::newRow("untitled, Save As cancelled") << false << true << 1 << false;
    }
    void saveNeedsAName()
    {
        QFETCH(bool, named);
        QFETCH(bool, cancelled);
        QFETCH(int, dialogs);
        QFETCH(bool, logged);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"t.csv"_qs);
        FakePrompts prompts;
        TOstrelMain main;
        TTextList2Form *form = main.NewDocument(named ? path : QString());
        form->SetModified(true);
        main.updateActions();
        QVERIFY(main.action(MainAction::FileSaveOverwrite1)->isEnabled());
        if (!cancelled)
            prompts.fileAnswers = {{{path}}};
        main.action(MainAction::FileSaveOverwrite1)->trigger();
        QCOMPARE(prompts.fileDialogs, dialogs);
        QCOMPARE(QFile::exists(path), !cancelled);
        QCOMPARE(form->IsModified(), cancelled);
        // One line, the save's own with its time.
        const QStringList lines = LogLines(main);
        QCOMPARE(lines.size(), logged ? 1 : 0);
        if (logged)
            QVERIFY(lines[0].startsWith(u"save to '%1'; "_qs.arg(path)));
    }

    void saveAsStartsFromTheDocumentsName()
    {
        QTemporaryDir dir;
        FakePrompts prompts;
        TOstrelMain main;
        const QString named = dir.filePath(u"named.csv"_qs);
        main.NewDocument(named);
        main.action(MainAction::FileSaveAs1)->trigger();
        main.NewDocument(QString());
        main.action(MainAction::FileSaveAs1)->trigger();   // an untitled one keeps the last name
        QCOMPARE(prompts.shownNames, (QStringList{named, named}));
        QCOMPARE(prompts.shownFolders.first(), dir.path());
    }

    void closePromptSavesInTheChosenType_data()
    {
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");   // empty: the save fails
        QTest::addColumn<int>("size");
        QTest::newRow("binary") << BinaryFilter << u"closed"_qs << u"closed.bin"_qs << 65536;
        QTest::newRow("CSV/text") << CsvFilter << u"closed"_qs << u"closed.csv"_qs << 1536;
        QTest::newRow("binary into a missing folder") << BinaryFilter << u"gone/closed"_qs << QString() << 0;
    }
    void closePromptSavesInTheChosenType()
    {
        QFETCH(int, filter);
        QFETCH(QString, typed);
        QFETCH(QString, saved);
        QFETCH(int, size);
        QTemporaryDir dir;
        FakePrompts prompts;
        TOstrelMain main;
        TTextList2Form *form = main.NewDocument(QString());
        form->SetModified(true);
        const QString title = form->windowTitle();
        prompts.saveAnswers = {SaveAnswer::Yes};
        prompts.fileAnswers = {{{dir.filePath(typed)}, filter}};
        main.documentArea()->currentSubWindow()->close();
        QCOMPARE(prompts.fileDialogs, 1);
        if (saved.isEmpty()) {
            // The window stays open as it was: no name, still modified.
            QCOMPARE(WindowCount(main), 1);
            QCOMPARE(form->FileName(), QString());
            QCOMPARE(form->windowTitle(), title);
            QVERIFY(form->IsModified());
        } else {
            QCOMPARE(FileBytes(dir.filePath(saved)).size(), size);
        }
    }

    void imagesAreRecognisedEveryWayIn_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("fileKind");
        QTest::newRow("command line, .dat") << u"command line"_qs << u"t.dat"_qs << BinaryFilter;
        QTest::newRow("drop, holds 0x00, .csv") << u"drop"_qs << u"t.csv"_qs << BinaryFilter;
        QTest::newRow("forwarded") << u"forwarded"_qs << u"t.bin"_qs << BinaryFilter;
        QTest::newRow("recent entry") << u"recent"_qs << u"t.bin"_qs << BinaryFilter;
        QTest::newRow("CSV/text filter is honoured") << u"open text"_qs << u"t.bin"_qs << -1;
    }
    void imagesAreRecognisedEveryWayIn()
    {
        QFETCH(QString, way);
        QFETCH(QString, name);
        QFETCH(int, fileKind);
        QTemporaryDir dir;
        QByteArray image(65536, '\xFF');
        image.replace(0, 3, "bar");
        image.replace(68, 4, "conv");
        for (int record = 1; record <= 5; ++record)
            image[128 * record] = '\0';   // empty entries inside the table
        image.replace(128 * 6, 2, "b7");
        const QString path = WriteFile(dir, name, image);
        FakePrompts prompts;
        TOstrelMain main(way == u"command line" ? QStringList{path} : QStringList{});
        main.show();
        if (way == u"drop")
            main.DropFiles({path});
        else if (way == u"forwarded")
            main.CopyDataMessage(path);
        else if (way == u"recent") {
            main.fileCommands().AddRecentFile(path);
            MenuEntry(main, path)->trigger();
        } else if (way == u"open text") {
            prompts.fileAnswers = {{{path}, CsvFilter}};
            main.action(MainAction::FileOpen1)->trigger();
        }
        TTextList2Form *form = ActiveTable(main);
        QVERIFY(form);
        QCOMPARE(form->document().fileKind(), fileKind);
        if (fileKind != BinaryFilter)
            return;
        QVERIFY(LogLines(main).contains(u"'%1' is a 64 KiB table image; read as binary"_qs.arg(path)));
        QCOMPARE(form->document().grid().cell(1, 1), QByteArray("conv"));
        // Its Save writes the image again, byte for byte.
        form->SetModified(true);
        QFile::remove(path);
        main.action(MainAction::FileSaveOverwrite1)->trigger();
        QCOMPARE(FileBytes(path), image);
    }

    void binarySaveAsksBeforeCuttingText_data()
    {
        QTest::addColumn<bool>("goOn");
        QTest::newRow("go on") << true;
        QTest::newRow("go back") << false;
    }
    void binarySaveAsksBeforeCuttingText()
    {
        QFETCH(bool, goOn);
        QTemporaryDir dir;
        FakePrompts prompts;
        TOstrelMain main;
        TTextList2Form *form = main.NewDocument(QString());
        form->document().setCell(1, 1, QByteArray(61, 'c'));
        form->document().setCell(2, 1, "1");
        form->SetModified(true);
        prompts.confirmAnswer = goOn;
        const QString target = dir.filePath(u"t.bin"_qs);
        prompts.fileAnswers = {{{target}, BinaryFilter}};
        main.action(MainAction::FileSaveAs1)->trigger();
        QCOMPARE(prompts.asked.size(), 1);
        QVERIFY(prompts.asked[0].startsWith(u"1件"_qs));
        QVERIFY(prompts.asked[0].contains(u"row 1: conv str of 61 bytes is cut to 60"_qs));
        QCOMPARE(QFile::exists(target), goOn);
        QCOMPARE(form->FileName(), goOn ? target : QString());
        QCOMPARE(form->IsModified(), !goOn);
        // A text save cuts nothing and asks nothing.
        prompts.fileAnswers = {{{dir.filePath(u"t.csv"_qs)}, CsvFilter}};
        main.action(MainAction::FileSaveAs1)->trigger();
        QCOMPARE(prompts.asked.size(), 1);
    }

    void recentFileOpensAsTextAndMovesUp_data()
    {
        QTest::addColumn<bool>("missing");
        QTest::newRow("existing") << false;
        QTest::newRow("missing") << true;
    }
    void recentFileOpensAsTextAndMovesUp()
    {
        QFETCH(bool, missing);
        QTemporaryDir dir;
        const QString older = WriteFile(dir, u"older.bin"_qs, "conv,bar\r\n");
        const QString newer = dir.filePath(u"newer.csv"_qs);
        FakePrompts prompts;
        TOstrelMain main;
        main.fileCommands().AddRecent(older);
        main.fileCommands().AddRecent(newer);
        if (missing)
            QFile::remove(older);
        MenuEntry(main, older)->trigger();
        QCOMPARE(WindowCount(main), missing ? 0 : 1);
        if (missing) {
            QCOMPARE(LogLines(main).first(), u"file not found"_qs);
            QCOMPARE(RecentFiles(main), (QStringList{newer, older}));
        } else {
            QCOMPARE(ActiveTable(main)->document().fileKind(), -1);
            QCOMPARE(ActiveTable(main)->document().grid().cell(1, 1), QByteArray("conv"));
            QCOMPARE(RecentFiles(main), (QStringList{older, newer}));
        }
        QCOMPARE(RecentFolders(main), QStringList{dir.path() + u'/'});
    }

    void recentFolderOpensTheOpenDialogThere_data()
    {
        QTest::addColumn<QString>("opened");   // the file chosen in the dialog; empty: cancelled
        QTest::addColumn<QStringList>("folders");
        QTest::newRow("cancelled") << QString() << QStringList{u"a"_qs, u"b"_qs};
        QTest::newRow("file from that folder") << u"a"_qs << QStringList{u"a"_qs, u"b"_qs};
        QTest::newRow("file from another folder") << u"c"_qs << QStringList{u"a"_qs, u"c"_qs, u"b"_qs};
    }
    void recentFolderOpensTheOpenDialogThere()
    {
        QFETCH(QString, opened);
        QFETCH(QStringList, folders);
        QTemporaryDir dir;
        for (const char *sub : {"a", "b", "c"})
            QDir(dir.path()).mkdir(QLatin1String(sub));
        auto folder = [&dir](const QString &name) { return dir.filePath(name) + u'/'; };
        FakePrompts prompts;
        TOstrelMain main;
        main.fileCommands().AddRecent(folder(u"a"_qs) + u"1.csv"_qs);
        main.fileCommands().AddRecent(folder(u"b"_qs) + u"2.csv"_qs);
        if (!opened.isEmpty())
            prompts.fileAnswers = {{{WriteFile(dir, opened + u"/3.csv"_qs, "x,y\r\n")}, CsvFilter}};
        MenuEntry(main, folder(u"a"_qs))->trigger();
        QCOMPARE(prompts.shownFolders, QStringList{dir.filePath(u"a"_qs)});
        QCOMPARE(prompts.shownNames.first(), QString());
        QStringList expected;
        for (const QString &f : folders)
            expected.append(folder(f));
        QCOMPARE(RecentFolders(main), expected);
        QCOMPARE(WindowCount(main), opened.isEmpty() ? 0 : 1);
        // The menu shows the lists as they stand, files above the separator.
        QCOMPARE(MenuTexts(main).indexOf(u"-"_qs), RecentFiles(main).size());
        QCOMPARE(Paths(MenuTexts(main).mid(RecentFiles(main).size() + 1)), expected);
        // The dialog keeps the folder for the next Open.
        main.action(MainAction::FileOpen1)->trigger();
        QCOMPARE(prompts.shownFolders.last(), opened.isEmpty() ? dir.filePath(u"a"_qs) : dir.filePath(opened));
    }

    void dialogsStartInTheLastFolderUsedNextRun_data()
    {
        QTest::addColumn<bool>("binary");   // a binary file enters no recent list, yet its folder counts
        QTest::newRow("text") << false;
        QTest::newRow("binary") << true;
    }
    void dialogsStartInTheLastFolderUsedNextRun()
    {
        QFETCH(bool, binary);
        QTemporaryDir dir;
        QDir(dir.path()).mkdir(u"picked"_qs);
        const QString file = binary ? WriteBinaryTable(dir, u"picked/t.bin"_qs) : WriteFile(dir, u"picked/t.csv"_qs, "x,y\r\n");
        MemorySettingsStore store;
        FakePrompts prompts;
        {
            TOstrelMain main({}, &store);
            prompts.fileAnswers = {{{file}, binary ? BinaryFilter : CsvFilter}};
            main.action(MainAction::FileOpen1)->trigger();
            QCOMPARE(WindowCount(main), 1);
        }
        TOstrelMain main({}, &store);
        main.NewDocument(QString());
        for (MainAction id : {MainAction::FileOpen1, MainAction::FileSave1, MainAction::FileSaveAs1})
            main.action(id)->trigger();   // each cancelled
        const QString folder = dir.filePath(u"picked"_qs);
        QCOMPARE(prompts.shownFolders.mid(1), (QStringList{folder, folder, folder}));
    }

    void menuNumbersItsEntriesWhenItOpens()
    {
        FakePrompts prompts;
        TOstrelMain main;
        for (int i = 10; i >= 1; --i)
            main.fileCommands().AddRecent(QStringLiteral("/R&D%1/f%1.csv").arg(i));
        QCOMPARE(MenuTexts(main).first(), u"/R&&D1/f1.csv"_qs);
        Q_EMIT main.fileCommands().recentMenu()->aboutToShow();
        const QStringList texts = MenuTexts(main);
        QCOMPARE(texts.size(), 21);
        QCOMPARE(texts.at(0), u"&1\t/R&&D1/f1.csv"_qs);
        QCOMPARE(texts.at(8), u"&9\t/R&&D9/f9.csv"_qs);
        QCOMPARE(texts.at(9), u"\t/R&&D10/f10.csv"_qs);
        QCOMPARE(texts.at(10), u"-"_qs);
        QCOMPARE(texts.at(11), u"&A\t/R&&D1/"_qs);
        QCOMPARE(texts.at(19), u"&I\t/R&&D9/"_qs);
        QCOMPARE(texts.at(20), u"\t/R&&D10/"_qs);
        // A numbered entry still opens its own path.
        MenuEntry(main, u"/R&D10/f10.csv"_qs)->trigger();
        QCOMPARE(LogLines(main).last(), u"'/R&D10/f10.csv' is not there: moved, renamed or deleted"_qs);
    }

    void outsideFilesAreListedUnlessForwarded_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("listed");
        QTest::newRow("command line") << u"command line"_qs << true;
        QTest::newRow("drop") << u"drop"_qs << true;
        QTest::newRow("forwarded") << u"forwarded"_qs << false;
    }
    void outsideFilesAreListedUnlessForwarded()
    {
        QFETCH(QString, way);
        QFETCH(bool, listed);
        QTemporaryDir dir;
        const QString a = WriteFile(dir, u"a.csv"_qs, "a,1\r\n");
        const QString b = WriteFile(dir, u"b.csv"_qs, "b,2\r\n");
        const QString gone = dir.filePath(u"gone.csv"_qs);
        FakePrompts prompts;
        TOstrelMain main(way == u"command line" ? QStringList{a, gone, b} : QStringList{});
        main.show();
        if (way == u"drop")
            main.DropFiles({a, b});
        else if (way == u"forwarded")
            main.CopyDataMessage(a + u',' + b);
        QCOMPARE(WindowCount(main), 2);
        QCOMPARE(RecentFiles(main), listed ? (QStringList{b, a}) : QStringList{});
        QCOMPARE(RecentFolders(main), listed ? QStringList{dir.path() + u'/'} : QStringList{});
    }

    void missingFileIsNotFoundEveryWayIn_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("open, CSV/text") << u"open text"_qs;
        QTest::newRow("open, binary") << u"open binary"_qs;
        QTest::newRow("recent file") << u"recent"_qs;
        QTest::newRow("command line") << u"command line"_qs;
        QTest::newRow("drop") << u"drop"_qs;
    }
    void missingFileIsNotFoundEveryWayIn()
    {
        QFETCH(QString, way);
        QTemporaryDir dir;
        const QString gone = dir.filePath(u"gone.csv"_qs);
        FakePrompts prompts;
        TOstrelMain main(way == u"command line" ? QStringList{gone} : QStringList{});
        main.show();
        if (way.startsWith(u"open")) {
            prompts.fileAnswers = {{{gone}, way == u"open binary" ? BinaryFilter : CsvFilter}};
            main.action(MainAction::FileOpen1)->trigger();
        } else if (way == u"recent") {
            main.fileCommands().AddRecentFile(gone);
            MenuEntry(main, gone)->trigger();
        } else if (way == u"drop") {
            QVERIFY(zered::Guarded([&] { main.DropFiles({gone}); }) == false);
        }
        QCOMPARE(LogLines(main),
                 (QStringList{u"file not found"_qs, u"'%1' is not there: moved, renamed or deleted"_qs.arg(gone)}));
        QCOMPARE(WindowCount(main), 0);
        QCOMPARE(RecentFiles(main), way == u"recent" ? QStringList{gone} : QStringList{});
    }

    void recentEntriesAreTheMainWindows()
    {
        FakePrompts prompts;
        auto main = std::make_unique<TOstrelMain>();
        main->fileCommands().AddRecent(u"/a/1.csv"_qs);
        QPointer<QAction> entry = MenuEntry(*main, u"/a/1.csv"_qs);
        QCOMPARE(entry->parent(), main.get());
        // A replaced entry leaves the menu at once.
        main->fileCommands().AddRecentFile(u"/A/1.CSV"_qs);
        QVERIFY(!main->fileCommands().recentMenu()->actions().contains(entry.data()));
        main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!entry);
    }
};

QTEST_MAIN(TestFileCommands)
#include "test_file_commands.moc"
