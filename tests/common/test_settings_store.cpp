#include "common/qsettings_store.h"
#include "common/settings_store.h"
#include "common/zered_error.h"
#include "log_capture.h"
#include "test_support.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

const QString Root = u"\\Software\\Brenvik\\KOV-Ostrel"_qs;
const QString Key = Root + u"\\Recent"_qs;

QString ErrorOf(const std::function<void()> &read)
{
    try {
        read();
    } catch (const OstrelError &e) {
        return e.message();
    }
    return u"(no error)"_qs;
}


} // namespace

// Both stores: the in-memory one, and the JSON file read back by a new store,
// so what is checked is what the file keeps.
class TestSettingsStore : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<MemorySettingsStore> m_memory;
    std::unique_ptr<QSettingsStore> m_json;

    QString jsonPath() const { return m_dir.filePath(u"KOV-Ostrel.json"_qs); }

    SettingsStore &writer(const QString &kind)
    {
        if (kind == u"memory") {
            m_memory = std::make_unique<MemorySettingsStore>();
            return *m_memory;
        }
        QFile::remove(jsonPath());
        m_json = std::make_unique<QSettingsStore>(Root, jsonPath());
        return *m_json;
    }
    SettingsStore &reader(const QString &kind)
    {
        if (kind == u"memory")
            return *m_memory;
        m_json = std::make_unique<QSettingsStore>(Root, jsonPath());
        return *m_json;
    }

private Q_SLOTS:
    void valuesKeepTheirKinds_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("memory") << u"memory"_qs;
        QTest::newRow("JSON file") << u"json"_qs;
    }
    void valuesKeepTheirKinds()
    {
        QFETCH(QString, kind);
        SettingsStore &w = writer(kind);
        QVERIFY(w.OpenKey(Key, true));
        w.WriteInteger(u"FileCount"_qs, 5);
        w.WriteString(u"File0"_qs, u"5"_qs);
        w.WriteString(u"File1"_qs, u"C:\\data\\テーブル.csv"_qs);
        w.WriteBool(u"Floating"_qs, true);
        w.WriteInteger(u"Negative"_qs, -7);
        w.CloseKey();

        SettingsStore &r = reader(kind);
        QVERIFY(r.OpenKey(Key, false));
        QCOMPARE(r.ReadInteger(u"FileCount"_qs), 5);
        QCOMPARE(r.ReadString(u"File0"_qs), u"5"_qs);
        QCOMPARE(r.ReadString(u"File1"_qs), u"C:\\data\\テーブル.csv"_qs);
        QCOMPARE(r.ReadInteger(u"Floating"_qs), 1);
        QCOMPARE(r.ReadInteger(u"Negative"_qs), -7);
        QVERIFY(r.ValueExists(u"File0"_qs));
        QVERIFY(!r.ValueExists(u"File2"_qs));
        QCOMPARE(r.ReadString(u"File2"_qs), QString());
        QCOMPARE(ErrorOf([&] { r.ReadInteger(u"File0"_qs); }),
                 u"settings value 'File0' in '\\Software\\Brenvik\\KOV-Ostrel\\Recent' is not an integer"_qs);
        QCOMPARE(ErrorOf([&] { r.ReadString(u"FileCount"_qs); }),
                 u"settings value 'FileCount' in '\\Software\\Brenvik\\KOV-Ostrel\\Recent' is not a string"_qs);
        QCOMPARE(ErrorOf([&] { r.ReadInteger(u"FolderCount"_qs); }),
                 u"settings value 'FolderCount' is missing in '\\Software\\Brenvik\\KOV-Ostrel\\Recent'"_qs);
        r.CloseKey();
    }

    void keysOpenOnlyWhenTheyExistOrAreCreated_data() { valuesKeepTheirKinds_data(); }
    void keysOpenOnlyWhenTheyExistOrAreCreated()
    {
        QFETCH(QString, kind);
        SettingsStore &w = writer(kind);
        QVERIFY(!w.OpenKey(Root + u"\\View"_qs, false));
        QVERIFY(w.OpenKey(Root + u"\\View"_qs, true));   // a key without values
        w.CloseKey();
        QVERIFY(w.OpenKey(Root + u"\\Deep\\Down"_qs, true));
        w.WriteInteger(u"X"_qs, 1);
        w.CloseKey();

        SettingsStore &r = reader(kind);
        QVERIFY(r.OpenKey(Root + u"\\View"_qs, false));
        r.CloseKey();
        QVERIFY(r.OpenKey(Root + u"\\Deep"_qs, false));   // keys on the way exist too
        QVERIFY(!r.ValueExists(u"X"_qs));
        r.CloseKey();
        QVERIFY(r.OpenKey(Root + u"\\Deep\\Down"_qs, false));
        QCOMPARE(r.ReadInteger(u"X"_qs), 1);
        r.CloseKey();
        QVERIFY(!r.OpenKey(Root + u"\\Settings"_qs, false));
    }

    void jsonFileHoldsNumbersStringsAndEmptyKeys()
    {
        writer(u"json"_qs);
        QVERIFY(m_json->OpenKey(Root + u"\\View"_qs, true));
        m_json->CloseKey();
        QVERIFY(m_json->OpenKey(Root + u"\\Settings"_qs, true));
        m_json->WriteString(u"BaudRate"_qs, u"115.2k"_qs);
        m_json->WriteInteger(u"Port"_qs, 3);
        m_json->CloseKey();
        m_json.reset();
        const QJsonObject root = QJsonDocument::fromJson(FileBytes(jsonPath())).object();
        QCOMPARE(root.value(u"View"_qs).toObject(), QJsonObject());
        QCOMPARE(root.value(u"Settings"_qs).toObject(),
                 (QJsonObject{{u"BaudRate"_qs, u"115.2k"_qs}, {u"Port"_qs, 3}}));
    }

    // Values written by hand into the file: only whole numbers are integers.
    void handWrittenJsonValues_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("integerError");   // empty: reads as 12
        QTest::newRow("whole number") << QByteArray("12") << QString();
        QTest::newRow("fraction") << QByteArray("1.5") << u"not an integer"_qs;
        QTest::newRow("beyond 32 bits") << QByteArray("4294967296") << u"not an integer"_qs;
        QTest::newRow("string") << QByteArray("\"12\"") << u"not an integer"_qs;
        QTest::newRow("true") << QByteArray("true") << u"not an integer"_qs;
        QTest::newRow("null") << QByteArray("null") << u"not an integer"_qs;
    }
    void handWrittenJsonValues()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, integerError);
        QFile f(jsonPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("{\"Recent\": {\"FileCount\": " + json + "}}");
        f.close();
        QSettingsStore store(Root, jsonPath());
        QVERIFY(store.OpenKey(Key, false));
        const QString error = ErrorOf([&] { QCOMPARE(store.ReadInteger(u"FileCount"_qs), 12); });
        if (integerError.isEmpty())
            QCOMPARE(error, u"(no error)"_qs);
        else
            QVERIFY2(error.endsWith(integerError), qPrintable(error));
    }

    void unreadableFileIsKept()
    {
        LogCapture log;
        const QByteArray broken = "{\"Recent\": {\"FileCount\": 3,";
        QFile f(jsonPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(broken);
        f.close();
        {
            QSettingsStore store(Root, jsonPath());
            QVERIFY(!store.OpenKey(Key, false));
            QVERIFY(!store.OpenKey(Root + u"\\MainForm"_qs, true));
            store.WriteInteger(u"WindowState"_qs, 2);
            store.CloseKey();
        }
        QCOMPARE(FileBytes(jsonPath()), broken);
        QCOMPARE(log.messages(),
                 QStringList{u"settings file '%1' cannot be read; it is kept as it is and this run's settings are not saved"_qs
                                 .arg(jsonPath())});
        QCOMPARE(log.lines.first().colour, zered::clMagenta);
    }

    // Names that cannot be a key or a value: logged once, dropped, and the rest
    // of the file is read and written back (they used to crash the save).
    void namesThatAreNoKeysAreIgnored_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("ignored");
        QTest::newRow("empty at the top") << QByteArray(R"({"": 1, "Recent": {"FileCount": 1}})") << u"\"\""_qs;
        QTest::newRow("slash at the top") << QByteArray(R"({"/": {"x": 2}, "Recent": {"FileCount": 1}})")
                                          << u"\"/\""_qs;
        QTest::newRow("inside a key") << QByteArray(R"({"Recent": {"": "a", "a/b": 3, "FileCount": 1}})")
                                      << u"\"Recent/\", \"Recent/a/b\""_qs;
    }
    void namesThatAreNoKeysAreIgnored()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, ignored);
        LogCapture log;
        QFile f(jsonPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(json);
        f.close();
        {
            QSettingsStore store(Root, jsonPath());
            QVERIFY(store.OpenKey(Key, true));
            QCOMPARE(store.ReadInteger(u"FileCount"_qs), 1);
            store.WriteString(u"File0"_qs, u"/t/a.csv"_qs);
            store.CloseKey();
        }
        QCOMPARE(log.messages(),
                 QStringList{u"settings file '%1' holds names that are no key or value name (%2); they are ignored"_qs
                                 .arg(jsonPath(), ignored)});
        const QJsonObject root = QJsonDocument::fromJson(FileBytes(jsonPath())).object();
        QCOMPARE(root.value(u"Recent"_qs).toObject(),
                 (QJsonObject{{u"FileCount"_qs, 1}, {u"File0"_qs, u"/t/a.csv"_qs}}));
        QVERIFY(!root.contains(QString()) && !root.contains(u"/"_qs));
    }

    void integerOutsideItsRangeIsRefused()
    {
        MemorySettingsStore store;
        store.Plant(Key, u"FileCount"_qs, -3);
        QVERIFY(store.OpenKey(Key, false));
        QCOMPARE(store.ReadInteger(u"FileCount"_qs, -3, 0), -3);
        QCOMPARE(ErrorOf([&] { store.ReadInteger(u"FileCount"_qs, 0, 22); }),
                 u"settings value 'FileCount' in '\\Software\\Brenvik\\KOV-Ostrel\\Recent' is -3, outside 0 to 22"_qs);
    }

    void installedStoreLivesInTheUsersConfigFolder()
    {
#ifdef Q_OS_WIN
        QSKIP("the installed store is the registry here (test_windows_platform)");
#endif
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
        {
            QSettingsStore store(Root);
            QVERIFY(store.OpenKey(Root + u"\\Settings"_qs, true));
            store.WriteString(u"SerialPort"_qs, u"USB"_qs);
            store.CloseKey();
        }
        qputenv("XDG_CONFIG_HOME", saved);
        const QJsonObject root =
            QJsonDocument::fromJson(FileBytes(m_dir.filePath(u"Brenvik/KOV-Ostrel.json"_qs))).object();
        QCOMPARE(root.value(u"Settings"_qs).toObject().value(u"SerialPort"_qs).toString(), u"USB"_qs);
    }

    void keysOutsideTheRootDoNotOpen()
    {
        QSettingsStore store(Root, jsonPath());
        QVERIFY(!store.OpenKey(u"\\Software\\Other"_qs, true));
        QVERIFY(!store.OpenKey(Root + u"-Old\\MainForm"_qs, true));
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "test_settings_store.moc"
