// The settings file: whatever it holds, the store reads every key the program
// reads, writes its values back and leaves a file the next run can read.
#include "common/qsettings_store.h"
#include "fuzz_check.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

const QString Root = QStringLiteral("\\Software\\Brenvik\\KOV-Ostrel");

void ReadEverything(SettingsStore &store)
{
    for (const char *key : {"MainForm", "View", "Recent", "Settings"}) {
        if (!store.OpenKey(Root + u'\\' + QLatin1String(key), false))
            continue;
        for (const char *name : {"WindowState", "Width", "Left", "LogHeight", "FileCount", "File0", "SerialPort",
                                 "BaudRate", "DEF_BARCODE_LEN", "", "/"}) {
            try {
                store.ReadInteger(QLatin1String(name), -1000, 1000);
            } catch (...) {
            }
            try {
                store.ReadString(QLatin1String(name));
            } catch (...) {
            }
        }
        store.CloseKey();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static int serial = 0;
    // A new name each time: QSettings keeps what it read of a path in a cache.
    const QString path = dir.filePath(QStringLiteral("settings-%1.json").arg(++serial));
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    {
        QSettingsStore store(Root, path);
        ReadEverything(store);
        if (store.OpenKey(Root + QStringLiteral("\\Recent"), true)) {
            store.WriteInteger(QStringLiteral("FileCount"), 1);
            store.WriteString(QStringLiteral("File0"), QStringLiteral("/t/a.csv"));
            store.CloseKey();
        }
    }
    {
        QSettingsStore again(Root, path);
        ReadEverything(again);
    }
    QFile::remove(path);
    return 0;
}
