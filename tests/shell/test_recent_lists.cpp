#include "common/captions.h"
#include "shell/recent_lists.h"

#include <QTest>

namespace {

QStringList Paths(const QStringList &captions)
{
    QStringList paths;
    for (const QString &c : captions)
        paths.append(CaptionToPath(c));
    return paths;
}

QStringList Numbered(int count, const QString &pattern)
{
    QStringList list;
    for (int i = count; i >= 1; --i)
        list.append(pattern.arg(i));
    return list;
}

} // namespace

class TestRecentLists : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void captionsCarryPaths_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("path");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("unnumbered") << u"C:\\data\\a.csv"_qs << u"C:\\data\\a.csv"_qs;
        QTest::newRow("numbered") << u"&3\tC:\\data\\a.csv"_qs << u"C:\\data\\a.csv"_qs;
        QTest::newRow("folder key") << u"&B\tC:\\data\\"_qs << u"C:\\data\\"_qs;
        QTest::newRow("no key, tab trimmed") << u"\t /x/a.csv \t"_qs << u"/x/a.csv"_qs;
        QTest::newRow("doubled ampersand") << u"&1\tC:\\R&&D\\a.csv"_qs << u"C:\\R&D\\a.csv"_qs;
        QTest::newRow("ampersand first") << u"&&plan.csv"_qs << u"&plan.csv"_qs;
        QTest::newRow("numbered, empty folder") << u"&A\t"_qs << QString();
    }
    void captionsCarryPaths()
    {
        QFETCH(QString, caption);
        QFETCH(QString, path);
        QCOMPARE(CaptionToPath(caption), path);
    }

    void pathsBecomeCaptionsAndBack_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("caption");
        QTest::newRow("plain") << u"/x/a.csv"_qs << u"/x/a.csv"_qs;
        QTest::newRow("ampersands") << u"C:\\R&D\\&&.csv"_qs << u"C:\\R&&D\\&&&&.csv"_qs;
        QTest::newRow("leading ampersand") << u"&a.csv"_qs << u"&&a.csv"_qs;
    }
    void pathsBecomeCaptionsAndBack()
    {
        QFETCH(QString, path);
        QFETCH(QString, caption);
        QCOMPARE(PathToCaption(path), caption);
        QCOMPARE(CaptionToPath(caption), path);
    }

    void folderOfAPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::newRow("windows") << u"C:\\data\\sub\\a.csv"_qs << u"C:\\data\\sub\\"_qs;
        QTest::newRow("drive only") << u"C:a.csv"_qs << u"C:"_qs;
        QTest::newRow("ends in separator") << u"C:\\data\\"_qs << u"C:\\data\\"_qs;
        QTest::newRow("no directory part") << u"a.csv"_qs << QString();
        QTest::newRow("slashes") << u"/home/op/a.csv"_qs << u"/home/op/"_qs;
        QTest::newRow("drive and slashes") << u"C:/users/op/a.csv"_qs << u"C:/users/op/"_qs;
        QTest::newRow("mixed, last wins") << u"C:\\data/sub\\x/a.csv"_qs << u"C:\\data/sub\\x/"_qs;
    }
    void folderOfAPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QCOMPARE(FolderOf(path), folder);
    }

    void addingKeepsEachPathOnceAndTheNewestOnTop_data()
    {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("folders");
        QTest::newRow("newest first")
            << QStringList{u"C:\\a\\1.csv"_qs, u"C:\\b\\2.csv"_qs}
            << QStringList{u"C:\\b\\2.csv"_qs, u"C:\\a\\1.csv"_qs}
            << QStringList{u"C:\\b\\"_qs, u"C:\\a\\"_qs};
        QTest::newRow("same file in other case")
            << QStringList{u"C:\\Data\\Table.csv"_qs, u"c:\\DATA\\table.CSV"_qs}
            << QStringList{u"c:\\DATA\\table.CSV"_qs}
            << QStringList{u"c:\\DATA\\"_qs};
        QTest::newRow("same folder, two files")
            << QStringList{u"C:\\d\\1.csv"_qs, u"C:\\d\\2.csv"_qs}
            << QStringList{u"C:\\d\\2.csv"_qs, u"C:\\d\\1.csv"_qs}
            << QStringList{u"C:\\d\\"_qs};
        QTest::newRow("older file comes back on top")
            << QStringList{u"/a/1.csv"_qs, u"/a/2.csv"_qs, u"/a/1.csv"_qs}
            << QStringList{u"/a/1.csv"_qs, u"/a/2.csv"_qs}
            << QStringList{u"/a/"_qs};
        // Only ASCII letters fold: Ä and ä are two paths.
        QTest::newRow("non-ASCII letters keep their case")
            << QStringList{u"/x/Ä.csv"_qs, u"/x/ä.csv"_qs}
            << QStringList{u"/x/ä.csv"_qs, u"/x/Ä.csv"_qs}
            << QStringList{u"/x/"_qs};
        QTest::newRow("no directory part")
            << QStringList{u"a.csv"_qs}
            << QStringList{u"a.csv"_qs}
            << QStringList{QString()};
        QTest::newRow("ampersand in a folder")
            << QStringList{u"C:\\R&D\\a.csv"_qs}
            << QStringList{u"C:\\R&D\\a.csv"_qs}
            << QStringList{u"C:\\R&D\\"_qs};
    }
    void addingKeepsEachPathOnceAndTheNewestOnTop()
    {
        QFETCH(QStringList, added);
        QFETCH(QStringList, files);
        QFETCH(QStringList, folders);
        RecentLists lists;
        for (const QString &p : added)
            lists.AddRecent(p);
        QCOMPARE(Paths(lists.fileCaptions()), files);
        QCOMPARE(Paths(lists.folderCaptions()), folders);
        // Numbering changes the captions, never the paths they carry.
        lists.Number();
        QCOMPARE(Paths(lists.fileCaptions()), files);
        QCOMPARE(Paths(lists.folderCaptions()), folders);
    }

    void listsKeepTheirLimits_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("folders");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("23 files keep 22") << 23 << false << Numbered(23, u"/f/%1.csv"_qs).mid(0, 22);
        QTest::newRow("22 files all stay") << 22 << false << Numbered(22, u"/f/%1.csv"_qs);
        QTest::newRow("13 folders keep 12") << 13 << true << Numbered(13, u"/d%1/"_qs).mid(0, 12);
        QTest::newRow("12 folders all stay") << 12 << true << Numbered(12, u"/d%1/"_qs);
    }
    void listsKeepTheirLimits()
    {
        QFETCH(int, count);
        QFETCH(bool, folders);
        QFETCH(QStringList, kept);
        RecentLists lists;
        for (int i = 1; i <= count; ++i)
            lists.AddRecent(folders ? QStringLiteral("/d%1/x.csv").arg(i) : QStringLiteral("/f/%1.csv").arg(i));
        QCOMPARE(Paths(folders ? lists.folderCaptions() : lists.fileCaptions()), kept);
    }

    void numberingGivesAccessKeys()
    {
        RecentLists lists;
        for (int i = 10; i >= 1; --i)
            lists.AddRecent(QStringLiteral("/d%1/f%1.csv").arg(i));
        QCOMPARE(lists.fileCaptions().first(), u"/d1/f1.csv"_qs);   // none until the menu opens
        lists.Number();
        QStringList files, folders;
        for (int i = 1; i <= 9; ++i) {
            files.append(QStringLiteral("&%1\t/d%1/f%1.csv").arg(i));
            folders.append(QStringLiteral("&%1\t/d%2/").arg(QChar(u'A' + i - 1)).arg(i));
        }
        QCOMPARE(lists.fileCaptions().mid(0, 9), files);
        QCOMPARE(lists.folderCaptions().mid(0, 9), folders);
        QCOMPARE(lists.fileCaptions().at(9), u"\t/d10/f10.csv"_qs);
        QCOMPARE(lists.folderCaptions().at(9), u"\t/d10/"_qs);
        // Numbering again, after a change, gives each its new place's key.
        lists.AddRecent(u"/d10/f10.csv"_qs);
        lists.Number();
        QCOMPARE(lists.fileCaptions().mid(0, 2), (QStringList{u"&1\t/d10/f10.csv"_qs, u"&2\t/d1/f1.csv"_qs}));
        QCOMPARE(lists.fileCaptions().at(9), u"\t/d9/f9.csv"_qs);
    }

    void ampersandIsShownNotTakenAsKey()
    {
        RecentLists lists;
        lists.AddRecent(u"C:\\R&D\\a.csv"_qs);
        QCOMPARE(lists.fileCaptions(), QStringList{u"C:\\R&&D\\a.csv"_qs});
        QCOMPARE(lists.folderCaptions(), QStringList{u"C:\\R&&D\\"_qs});
        lists.Number();
        QCOMPARE(lists.fileCaptions(), QStringList{u"&1\tC:\\R&&D\\a.csv"_qs});
        QCOMPARE(lists.folderCaptions(), QStringList{u"&A\tC:\\R&&D\\"_qs});
        QCOMPARE(lists.pathOf(lists.folders().first().id), u"C:\\R&D\\"_qs);
    }

    void entriesMoveToTheTopOfTheirOwnList()
    {
        RecentLists lists;
        for (const char *p : {"/a/1.csv", "/b/2.csv", "/c/3.csv"})
            lists.AddRecent(QLatin1String(p));
        const int oldestFile = lists.files().last().id;
        const int oldestFolder = lists.folders().last().id;
        QVERIFY(lists.MoveFileToTop(oldestFile));
        QCOMPARE(Paths(lists.fileCaptions()), (QStringList{u"/a/1.csv"_qs, u"/c/3.csv"_qs, u"/b/2.csv"_qs}));
        QCOMPARE(Paths(lists.folderCaptions()), (QStringList{u"/c/"_qs, u"/b/"_qs, u"/a/"_qs}));
        QVERIFY(!lists.MoveFileToTop(oldestFolder));   // a folder entry is not a file entry
        QVERIFY(lists.MoveFolderToTop(oldestFolder));
        QCOMPARE(Paths(lists.folderCaptions()), (QStringList{u"/a/"_qs, u"/c/"_qs, u"/b/"_qs}));
        // A re-added folder is a new entry: the old id is gone.
        lists.AddRecent(u"/a/4.csv"_qs);
        QVERIFY(!lists.MoveFolderToTop(oldestFolder));
        QCOMPARE(lists.pathOf(oldestFolder), QString());
    }
};

QTEST_MAIN(TestRecentLists)
#include "test_recent_lists.moc"
