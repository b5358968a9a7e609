#include "common/captions.h"
#include "common/form_placement.h"
#include "common/settings_store.h"
#include "common/window_placement.h"
#include "documents/table_image.h"
#include "documents/text_grid_view.h"
#include "documents/textlist_form.h"
#include "shell/barcodemain.h"
#include "shell/file_commands.h"
#include "shell/main_settings.h"
#include "shell_test_helpers.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QMenuBar>
#include <QSplitter>
#include <QLineEdit>
#include <QTest>
#include <memory>

namespace {

const QRect SecondScreen(800, 0, 1024, 768);
const QString MainForm = SettingsKeyPath(QLatin1String("MainForm"));
const QString View = SettingsKeyPath(QLatin1String("View"));
const QString Recent = SettingsKeyPath(QLatin1String("Recent"));
const QString Settings = SettingsKeyPath(QLatin1String("Settings"));

void PlantNormalPlacement(MemorySettingsStore &store, const QRect &bounds)
{
    store.Plant(MainForm, u"WindowState"_qs, 0);
    store.Plant(MainForm, u"Width"_qs, bounds.width());
    store.Plant(MainForm, u"Height"_qs, bounds.height());
    store.Plant(MainForm, u"Left"_qs, bounds.left());
    store.Plant(MainForm, u"Top"_qs, bounds.top());
}

// The magenta lines of the message pane.
QStringList MagentaLines(const TOstrelMain &main)
{
    QStringList lines;
    const QTextDocument *doc = main.messagePane()->document();
    for (int i = 0; i < doc->blockCount(); ++i)
        if (MessageColour(main, i) == QColor(255, 0, 255))
            lines.append(doc->findBlockByNumber(i).text().mid(9));
    return lines;
}

QSize DesignSize(const TOstrelMain &main)
{
    return {TOstrelMain::DesignClientWidth, TOstrelMain::DesignClientHeight + main.menuBar()->sizeHint().height()};
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup()
    {
        BarcodeFieldLen = DefaultBarcodeFieldLen;
        ConvStrFieldLen = DefaultConvStrFieldLen;
    }

    void firstRunKeepsTheDesignAndWritesEveryKey()
    {
        MemorySettingsStore store;
        QRect shownBounds;
        {
            TOstrelMain main({}, &store);
            QCOMPARE(main.pos(), QPoint(0, 0));
            QCOMPARE(main.size(), DesignSize(main));
            QCOMPARE(RecentFiles(main), QStringList());
            QCOMPARE(RecentFolders(main), QStringList());
            QCOMPARE(main.portCombo()->currentText(), u"USB"_qs);
            QCOMPARE(main.baudCombo()->currentText(), u"115.2k"_qs);
            QVERIFY(!main.baudCombo()->isEnabled());
            QCOMPARE(BarcodeFieldLen, 68);
            QCOMPARE(ConvStrFieldLen, 60);
            QCOMPARE(MagentaLines(main), QStringList());
            main.show();
            QVERIFY(QTest::qWaitForWindowExposed(&main));
            QTRY_COMPARE(main.centralWidget()->size(), QSize(640, 480));
            QTRY_COMPARE(main.messagePane()->height(), 17);
            shownBounds = main.frameGeometry();
            QVERIFY(main.close());   // as the user closes it: stored while still shown
        }
        QCOMPARE(store.StoredValue(MainForm, u"Visible"_qs), QVariant(1));
        QCOMPARE(store.ValueNames(MainForm),
                 (QStringList{u"Floating"_qs, u"Height"_qs, u"Left"_qs, u"LogHeight"_qs, u"MessageHeight"_qs,
                              u"Top"_qs, u"Visible"_qs, u"Width"_qs, u"WindowState"_qs}));
        QVERIFY(store.KeyExists(View));
        QCOMPARE(store.ValueNames(View), QStringList());
        QCOMPARE(store.ValueNames(Recent), (QStringList{u"FileCount"_qs, u"FolderCount"_qs}));
        QCOMPARE(store.StoredValue(Recent, u"FileCount"_qs), QVariant(0));
        QCOMPARE(store.ValueNames(Settings), (QStringList{u"BaudRate"_qs, u"SendBackup"_qs, u"SendToPorts"_qs,
                                                          u"SendVerify"_qs, u"SerialPort"_qs}));
        QCOMPARE(store.StoredValue(Settings, u"SerialPort"_qs), QVariant(u"USB"_qs));
        QCOMPARE(store.StoredValue(MainForm, u"LogHeight"_qs), QVariant(17));
        QCOMPARE(store.StoredValue(MainForm, u"Width"_qs), QVariant(shownBounds.width()));   // outer, with the frame
        QCOMPARE(store.StoredValue(MainForm, u"Top"_qs), QVariant(shownBounds.top()));
        QCOMPARE(store.StoredValue(MainForm, u"Floating"_qs), QVariant(1));
    }

    void everythingSurvivesARestart()
    {
        MemorySettingsStore store;
        QRect bounds;
        {
            TOstrelMain main({}, &store);
            main.show();
            QVERIFY(QTest::qWaitForWindowExposed(&main));
            main.setGeometry(40, 30, 900, 700);
            bounds = main.frameGeometry();
            auto *splitter = main.findChild<QSplitter *>(u"FooterSplitter"_qs);
            QList<int> sizes = splitter->sizes();
            sizes[0] -= 73;
            sizes[1] += 73;
            splitter->setSizes(sizes);
            main.fileCommands().AddRecent(u"/data/b/two.csv"_qs);
            main.fileCommands().AddRecent(u"/data/a/one.csv"_qs);
            main.SelectPort(u"/dev/ttyS0"_qs);
            main.baudCombo()->setEditText(u"38400"_qs);
            // As a drag of the column border does it.
            main.NewDocument(QString())->grid()->horizontalHeader()->resizeSection(0, 333);
            QTRY_COMPARE(main.messagePane()->height(), 90);
        }
        QCOMPARE(store.StoredValue(MainForm, u"LogHeight"_qs), QVariant(90));
        QCOMPARE(store.StoredValue(View, u"ConvStrWidth"_qs), QVariant(333));
        QCOMPARE(store.StoredValue(MainForm, u"MessageHeight"_qs), QVariant(90));

        TOstrelMain main({}, &store);
        QCOMPARE(main.pos(), bounds.topLeft());
        QCOMPARE(RecentFiles(main), (QStringList{u"/data/a/one.csv"_qs, u"/data/b/two.csv"_qs}));
        QCOMPARE(RecentFolders(main), (QStringList{u"/data/a/"_qs, u"/data/b/"_qs}));
        QCOMPARE(main.portCombo()->currentText(), u"/dev/ttyS0"_qs);
        QCOMPARE(main.baudCombo()->currentText(), u"38400"_qs);
        QVERIFY(main.baudCombo()->isEnabled());   // the port handler ran after the load
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QTRY_COMPARE(main.frameGeometry(), bounds);
        QTRY_COMPARE(main.messagePane()->height(), 90);
        QCOMPARE(main.NewDocument(QString())->grid()->columnWidth(0), 333);
    }

    void placementStaysPutOverRestarts()
    {
        // The window has a frame; its outer bounds go into the store and come back unchanged.
        MemorySettingsStore store;
        QRect bounds;
        for (int run = 0; run < 4; ++run) {
            TOstrelMain main({}, &store);
            main.show();
            QVERIFY(QTest::qWaitForWindowExposed(&main));
            QTRY_VERIFY(main.frameGeometry().size() != main.size());
            if (run == 0) {
                main.setGeometry(40, 30, 700, 600);
                bounds = main.frameGeometry();
            }
            QTRY_COMPARE(main.frameGeometry(), bounds);
        }
    }

    void maximizedExitRewritesOnlyTheState()
    {
        MemorySettingsStore store;
        const QRect bounds(25, 35, 700, 520);
        PlantNormalPlacement(store, bounds);
        store.Plant(MainForm, u"Visible"_qs, 7);
        store.Plant(MainForm, u"Floating"_qs, 8);
        {
            TOstrelMain main({}, &store);
            QCOMPARE(main.frameGeometry(), bounds);
            main.showMaximized();
            QVERIFY(QTest::qWaitForWindowExposed(&main));
        }
        QCOMPARE(store.StoredValue(MainForm, u"WindowState"_qs), QVariant(2));
        QCOMPARE(store.StoredValue(MainForm, u"Width"_qs), QVariant(700));
        QCOMPARE(store.StoredValue(MainForm, u"Left"_qs), QVariant(25));
        QCOMPARE(store.StoredValue(MainForm, u"Visible"_qs), QVariant(7));
        QCOMPARE(store.StoredValue(MainForm, u"Floating"_qs), QVariant(8));

        TOstrelMain main({}, &store);
        QVERIFY(main.windowState() & Qt::WindowMaximized);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QVERIFY(main.isMaximized());
    }

    void minimizedExitStartsMinimized()
    {
        MemorySettingsStore store;
        {
            TOstrelMain main({}, &store);
            main.showMinimized();
        }
        QCOMPARE(store.StoredValue(MainForm, u"WindowState"_qs), QVariant(1));
        TOstrelMain main({}, &store);
        QVERIFY(main.windowState() & Qt::WindowMinimized);
    }

    void recentListsInStoredOrder_data()
    {
        QTest::addColumn<int>("fileCount");
        QTest::addColumn<QList<int>>("missing");       // File<n> not stored
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("three") << 3 << QList<int>{} << QStringList{u"/t/f0.csv"_qs, u"/t/f1.csv"_qs, u"/t/f2.csv"_qs};
        QTest::newRow("File1 missing") << 2 << QList<int>{1} << QStringList{u"/t/f0.csv"_qs, QString()};
        QStringList first22;
        for (int i = 0; i < 22; ++i)
            first22.append(u"/t/f%1.csv"_qs.arg(i));
        QTest::newRow("thirty") << 30 << QList<int>{} << first22;
        QTest::newRow("zero") << 0 << QList<int>{} << QStringList{};
        QTest::newRow("negative") << -4 << QList<int>{} << QStringList{};
    }
    void recentListsInStoredOrder()
    {
        QFETCH(int, fileCount);
        QFETCH(QList<int>, missing);
        QFETCH(QStringList, shown);
        MemorySettingsStore store;
        store.Plant(Recent, u"FileCount"_qs, fileCount);
        for (int i = 0; i < std::max(fileCount, 3); ++i)
            if (!missing.contains(i))
                store.Plant(Recent, u"File%1"_qs.arg(i), u"/t/f%1.csv"_qs.arg(i));
        TOstrelMain main({}, &store);
        QCOMPARE(RecentFiles(main), shown);
        QCOMPARE(RecentFolders(main), QStringList());   // no FolderCount: no folders
        QCOMPARE(MagentaLines(main), QStringList());
    }

    void recentFoldersKeepTheFirstTwelve()
    {
        MemorySettingsStore store;
        store.Plant(Recent, u"FileCount"_qs, 0);
        store.Plant(Recent, u"FolderCount"_qs, 15);
        QStringList first12;
        for (int i = 0; i < 15; ++i) {
            store.Plant(Recent, u"Folder%1"_qs.arg(i), u"/d%1/"_qs.arg(i));
            if (i < 12)
                first12.append(u"/d%1/"_qs.arg(i));
        }
        TOstrelMain main({}, &store);
        QCOMPARE(RecentFolders(main), first12);
    }

    void savingLeavesOldEntriesAboveTheCount()
    {
        MemorySettingsStore store;
        store.Plant(Recent, u"FileCount"_qs, 30);
        for (int i = 0; i < 30; ++i)
            store.Plant(Recent, u"File%1"_qs.arg(i), u"/t/f%1.csv"_qs.arg(i));
        { TOstrelMain main({}, &store); }
        QCOMPARE(store.StoredValue(Recent, u"FileCount"_qs), QVariant(22));
        QCOMPARE(store.StoredValue(Recent, u"File21"_qs), QVariant(u"/t/f21.csv"_qs));
        QCOMPARE(store.StoredValue(Recent, u"File29"_qs), QVariant(u"/t/f29.csv"_qs));
        TOstrelMain main({}, &store);
        QCOMPARE(RecentFiles(main).size(), 22);
    }

    void hugeCountDoesNotStallTheStart()
    {
        MemorySettingsStore store;
        store.Plant(Recent, u"FileCount"_qs, std::numeric_limits<int>::max());
        store.Plant(Recent, u"File0"_qs, u"/t/f0.csv"_qs);
        TOstrelMain main({}, &store);
        QCOMPARE(RecentFiles(main), (QStringList{u"/t/f0.csv"_qs, QString()}));
    }

    void portAndBaudTexts_data()
    {
        QTest::addColumn<QVariant>("serialPort");   // invalid: not stored
        QTest::addColumn<QVariant>("baudRate");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<bool>("baudEnabled");
        QTest::newRow("serial port and baud") << QVariant(u"COM3"_qs) << QVariant(u"19200"_qs) << u"COM3"_qs
                                              << u"19200"_qs << true;
        QTest::newRow("usb in any case") << QVariant(u"usb"_qs) << QVariant(u"9600"_qs) << u"usb"_qs << u"9600"_qs
                                         << false;
        // The port would open nothing, and be saved back as it is.
        QTest::newRow("no SerialPort: USB") << QVariant() << QVariant() << u"USB"_qs << u"115.2k"_qs << false;
        QTest::newRow("empty SerialPort: USB")
            << QVariant(QString()) << QVariant() << u"USB"_qs << u"115.2k"_qs << false;
    }
    void portAndBaudTexts()
    {
        QFETCH(QVariant, serialPort);
        QFETCH(QVariant, baudRate);
        QFETCH(QString, port);
        QFETCH(QString, baud);
        QFETCH(bool, baudEnabled);
        MemorySettingsStore store;
        QVERIFY(store.OpenKey(Settings, true));
        store.CloseKey();
        if (serialPort.isValid())
            store.Plant(Settings, u"SerialPort"_qs, serialPort);
        if (baudRate.isValid())
            store.Plant(Settings, u"BaudRate"_qs, baudRate);
        {
            TOstrelMain main({}, &store);
            QCOMPARE(main.portCombo()->currentText(), port);
            QCOMPARE(main.portCombo()->lineEdit()->cursorPosition(), 0);   // a long path shows its start
            QCOMPARE(main.baudCombo()->currentText(), baud);
            QCOMPARE(main.baudCombo()->isEnabled(), baudEnabled);
        }
        QCOMPARE(store.StoredValue(Settings, u"SerialPort"_qs), QVariant(port));
    }

    void aPortForOneRunIsNotSaved_data()
    {
        QTest::addColumn<bool>("changedByTheUser");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<bool>("otherChanges");   // the list dropped down, the baud rate and panes changed
        QTest::newRow("left as given") << false << u"COM3"_qs << false;
        QTest::newRow("left, other settings changed") << false << u"COM3"_qs << true;
        QTest::newRow("chosen again by the user") << true << u"COM7"_qs << false;
    }
    void aPortForOneRunIsNotSaved()
    {
        QFETCH(bool, changedByTheUser);
        QFETCH(QString, saved);
        QFETCH(bool, otherChanges);
        MemorySettingsStore store;
        QVERIFY(store.OpenKey(Settings, true));
        store.CloseKey();
        store.Plant(Settings, u"SerialPort"_qs, u"COM3"_qs);
        {
            TOstrelMain main({}, &store);
            main.SelectPortForThisRun(u"/dev/pts/7"_qs);
            QCOMPARE(main.portCombo()->currentText(), u"/dev/pts/7"_qs);
            main.show();
            QVERIFY(QTest::qWaitForWindowExposed(&main));
            if (otherChanges) {
                QVERIFY(QMetaObject::invokeMethod(main.portCombo(), "aboutToDropDown"));
                QCOMPARE(main.portCombo()->lineEdit()->cursorPosition(), 0);   // the path's start stays in sight
                main.baudCombo()->setEditText(u"38400"_qs);
                auto *splitter = main.findChild<QSplitter *>(u"FooterSplitter"_qs);
                splitter->setSizes({splitter->sizes()[0] - 40, splitter->sizes()[1] + 40});
            }
            if (changedByTheUser)
                main.SelectPort(u"COM7"_qs);
            main.close();
        }
        QCOMPARE(store.StoredValue(Settings, u"SerialPort"_qs).toString(), saved);
    }

    void fieldLengthOverride_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("length");
        QTest::addColumn<QStringList>("logged");
        QTest::newRow("64: even split") << QVariant(64) << 64 << QStringList{};
        QTest::newRow("1") << QVariant(1) << 1 << QStringList{};
        const QString refused = u"DEF_BARCODE_LEN %1 is outside 1 to 64; the field lengths stay 68 and 60"_qs;
        QTest::newRow("0") << QVariant(0) << 0 << QStringList{refused.arg(0)};
        QTest::newRow("65") << QVariant(65) << 0 << QStringList{refused.arg(65)};
        QTest::newRow("-3") << QVariant(-3) << 0 << QStringList{refused.arg(-3)};
        QTest::newRow("string") << QVariant(u"64"_qs) << 0
                                << QStringList{u"settings value 'DEF_BARCODE_LEN' in '%1' is not an integer; "
                                               "the settings of '%1' keep their defaults"_qs.arg(Settings)};
    }
    void fieldLengthOverride()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, length);
        QFETCH(QStringList, logged);
        MemorySettingsStore store;
        store.Plant(Settings, u"SerialPort"_qs, u"COM4"_qs);
        store.Plant(Settings, u"DEF_BARCODE_LEN"_qs, stored);
        {
            TOstrelMain main({}, &store);
            QCOMPARE(BarcodeFieldLen, length ? length : 68);
            QCOMPARE(ConvStrFieldLen, length ? length : 60);
            QCOMPARE(MagentaLines(main), logged);
            // A refused length still takes the port; a wrong kind keeps the whole group's defaults.
            QCOMPARE(main.portCombo()->currentText(), stored.typeId() == QMetaType::QString ? u"USB"_qs : u"COM4"_qs);
        }
        QCOMPARE(store.StoredValue(Settings, u"DEF_BARCODE_LEN"_qs), stored);   // never written
    }

    // A missing or wrong-kind value: one magenta line, its group keeps the
    // defaults, the later groups are still read, the start goes on.
    void badValuesKeepTheirGroupsDefaults_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("value");   // invalid: removed
        QTest::addColumn<QString>("group");    // the group that keeps its defaults
        QTest::addColumn<QString>("error");
        const QString missing = u"settings value '%1' is missing in '%2'"_qs;
        const QString notInteger = u"settings value '%1' in '%2' is not an integer"_qs;
        const QString notString = u"settings value '%1' in '%2' is not a string"_qs;
        QTest::newRow("WindowState missing") << MainForm << u"WindowState"_qs << QVariant() << u"placement"_qs
                                             << missing.arg(u"WindowState"_qs, MainForm);
        QTest::newRow("WindowState string") << MainForm << u"WindowState"_qs << QVariant(u"0"_qs) << u"placement"_qs
                                            << notInteger.arg(u"WindowState"_qs, MainForm);
        QTest::newRow("Width missing") << MainForm << u"Width"_qs << QVariant() << u"placement"_qs
                                       << missing.arg(u"Width"_qs, MainForm);
        QTest::newRow("Top string") << MainForm << u"Top"_qs << QVariant(u"12"_qs) << u"placement"_qs
                                    << notInteger.arg(u"Top"_qs, MainForm);
        QTest::newRow("LogHeight string") << MainForm << u"LogHeight"_qs << QVariant(u"90"_qs) << u"panes"_qs
                                          << notInteger.arg(u"LogHeight"_qs, MainForm);
        const QString outside = u"settings value '%1' in '%2' is %3, outside %4 to %5"_qs;
        QTest::newRow("Width beyond any screen") << MainForm << u"Width"_qs << QVariant(INT_MAX) << u"placement"_qs
                                                 << outside.arg(u"Width"_qs, MainForm).arg(INT_MAX).arg(0).arg(1 << 20);
        QTest::newRow("Left far out") << MainForm << u"Left"_qs << QVariant(INT_MIN) << u"placement"_qs
                                      << outside.arg(u"Left"_qs, MainForm).arg(INT_MIN).arg(-(1 << 20)).arg(1 << 20);
        QTest::newRow("LogHeight beyond any screen") << MainForm << u"LogHeight"_qs << QVariant(INT_MAX) << u"panes"_qs
                                                     << outside.arg(u"LogHeight"_qs, MainForm).arg(INT_MAX).arg(0).arg(1 << 20);
        QTest::newRow("LogHeight negative") << MainForm << u"LogHeight"_qs << QVariant(-40) << u"panes"_qs
                                            << outside.arg(u"LogHeight"_qs, MainForm).arg(-40).arg(0).arg(1 << 20);
        QTest::newRow("FileCount missing") << Recent << u"FileCount"_qs << QVariant() << u"recent"_qs
                                           << missing.arg(u"FileCount"_qs, Recent);
        QTest::newRow("FileCount string") << Recent << u"FileCount"_qs << QVariant(u"2"_qs) << u"recent"_qs
                                          << notInteger.arg(u"FileCount"_qs, Recent);
        QTest::newRow("File1 integer") << Recent << u"File1"_qs << QVariant(5) << u"recent"_qs
                                       << notString.arg(u"File1"_qs, Recent);
        QTest::newRow("FolderCount string") << Recent << u"FolderCount"_qs << QVariant(u"1"_qs) << u"recent"_qs
                                            << notInteger.arg(u"FolderCount"_qs, Recent);
        QTest::newRow("SerialPort integer") << Settings << u"SerialPort"_qs << QVariant(3) << u"settings"_qs
                                            << notString.arg(u"SerialPort"_qs, Settings);
        QTest::newRow("BaudRate integer") << Settings << u"BaudRate"_qs << QVariant(9600) << u"settings"_qs
                                          << notString.arg(u"BaudRate"_qs, Settings);
    }
    void badValuesKeepTheirGroupsDefaults()
    {
        QFETCH(QString, key);
        QFETCH(QString, name);
        QFETCH(QVariant, value);
        QFETCH(QString, group);
        QFETCH(QString, error);
        MemorySettingsStore store;
        const QRect bounds(50, 60, 800, 600);
        PlantNormalPlacement(store, bounds);
        store.Plant(MainForm, u"LogHeight"_qs, 90);
        store.Plant(Recent, u"FileCount"_qs, 2);
        store.Plant(Recent, u"File0"_qs, u"/t/a.csv"_qs);
        store.Plant(Recent, u"File1"_qs, u"/t/b.csv"_qs);
        store.Plant(Recent, u"FolderCount"_qs, 1);
        store.Plant(Recent, u"Folder0"_qs, u"/t/"_qs);
        store.Plant(Settings, u"SerialPort"_qs, u"COM3"_qs);
        store.Plant(Settings, u"BaudRate"_qs, u"57600"_qs);
        store.Plant(Settings, u"DEF_BARCODE_LEN"_qs, 64);
        if (value.isValid())
            store.Plant(key, name, value);
        else
            store.Remove(key, name);

        TOstrelMain main({}, &store);
        QCOMPARE(MagentaLines(main), QStringList{error + u"; the settings of '%1' keep their defaults"_qs.arg(key)});
        const bool placement = group != u"placement";
        QCOMPARE(main.frameGeometry(), placement ? bounds : QRect(QPoint(0, 0), DesignSize(main)));
        const bool recent = group != u"recent";
        QCOMPARE(RecentFiles(main), recent ? (QStringList{u"/t/a.csv"_qs, u"/t/b.csv"_qs}) : QStringList());
        QCOMPARE(RecentFolders(main), recent ? QStringList{u"/t/"_qs} : QStringList{});
        const bool settings = group != u"settings";
        QCOMPARE(main.portCombo()->currentText(), settings ? u"COM3"_qs : u"USB"_qs);
        QCOMPARE(main.baudCombo()->currentText(), settings ? u"57600"_qs : u"115.2k"_qs);
        QCOMPARE(BarcodeFieldLen, settings ? 64 : 68);
        QCOMPARE(main.baudCombo()->isEnabled(), settings);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QTRY_COMPARE(main.messagePane()->height(), group == u"panes" ? 17 : 90);
    }

    // A window whose title bar lies on no screen, or that is far larger than
    // the screens, is pulled onto the screen it overlaps most (else the first).
    void placementOffTheScreensIsPulledBack_data()
    {
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<QRect>("placed");   // null: as stored
        QTest::newRow("on the screen") << QRect(10, 10, 400, 300) << QRect();
        QTest::newRow("partly off, title bar reachable") << QRect(600, 10, 400, 300) << QRect();
        QTest::newRow("larger than the screen") << QRect(-20, 0, 900, 700) << QRect();
        QTest::newRow("far to the left") << QRect(-5000, 10, 400, 300) << QRect(0, 10, 400, 300);
        QTest::newRow("title bar above the screen") << QRect(10, -200, 400, 300) << QRect(10, 0, 400, 300);
        QTest::newRow("below the screen") << QRect(10, 590, 400, 300) << QRect(10, 300, 400, 300);
        QTest::newRow("huge") << QRect(0, 0, 100000, 90000) << SecondScreen;
        QTest::newRow("on the second screen") << QRect(900, 100, 400, 300) << QRect();
        QTest::newRow("mostly on the second screen") << QRect(700, -100, 400, 300) << QRect(800, 0, 400, 300);
        QTest::newRow("on neither") << QRect(5000, 100, 400, 300) << QRect(400, 100, 400, 300);
    }
    void placementOffTheScreensIsPulledBack()
    {
        QFETCH(QRect, stored);
        QFETCH(QRect, placed);
        QRect bounds = stored;
        QCOMPARE(PullOntoScreen(bounds, {QRect(0, 0, 800, 600), SecondScreen}), !placed.isNull());
        QCOMPARE(bounds, placed.isNull() ? stored : placed);
    }

    void offScreenWindowOpensOnTheScreenAndIsSavedThere()
    {
        MemorySettingsStore store;
        PlantNormalPlacement(store, QRect(-90000, 200000, 500, 400));
        {
            TOstrelMain main({}, &store);
            const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
            QVERIFY2(screen.contains(main.frameGeometry()), qPrintable(MagentaLines(main).join(u'\n')));
            QCOMPARE(MagentaLines(main).size(), 1);
            QVERIFY(MagentaLines(main).first().startsWith(u"the stored window place -90000,200000 500x400 lies off the screen"_qs));
        }
        QVERIFY(store.StoredValue(MainForm, u"Left"_qs).toInt() >= 0);
        QVERIFY(store.StoredValue(MainForm, u"Top"_qs).toInt() < 600);
    }

    void fixedSizeWindowTakesOnlyItsPosition()
    {
        MemorySettingsStore store;
        PlantNormalPlacement(store, QRect(10, 20, 999, 888));
        store.Remove(MainForm, u"Width"_qs);
        store.Remove(MainForm, u"Height"_qs);
        QWidget form;
        form.setFixedSize(300, 200);
        LoadFormPlacement(store, MainForm, form);
        QCOMPARE(form.geometry(), QRect(10, 20, 300, 200));
    }
};

QTEST_MAIN(TestSettings)
#include "test_settings.moc"
