#include "shell/main_settings.h"

#include "common/form_placement.h"
#include "common/messages.h"
#include "common/settings_store.h"
#include "common/zered_log.h"

#include <algorithm>

namespace {

QStringList ReadList(SettingsStore &store, const QString &prefix, int count)
{
    QStringList paths;
    for (int i = 0; i < std::min(count, MaxStoredEntriesRead); ++i)
        paths.append(store.ReadString(prefix + QString::number(i)));
    return paths;
}

void WriteList(SettingsStore &store, const QString &countName, const QString &prefix, const QStringList &paths)
{
    store.WriteInteger(countName, int(paths.size()));
    for (qsizetype i = 0; i < paths.size(); ++i)
        store.WriteString(prefix + QString::number(i), paths[i]);
}

void ReadPaneHeights(SettingsStore &store, MainSettings &settings)
{
    if (!store.OpenKey(SettingsKeyPath("MainForm"), false))
        return;
    int logHeight = settings.logHeight;
    int messageHeight = settings.messageHeight;
    if (store.ValueExists(QStringLiteral("LogHeight")))
        logHeight = store.ReadInteger(QStringLiteral("LogHeight"), 0, MaxPlacementPixels);
    if (store.ValueExists(QStringLiteral("MessageHeight")))
        messageHeight = store.ReadInteger(QStringLiteral("MessageHeight"), 0, MaxPlacementPixels);
    store.CloseKey();
    settings.logHeight = logHeight;
    settings.messageHeight = messageHeight;
}

void ReadRecentLists(SettingsStore &store, MainSettings &settings)
{
    if (!store.OpenKey(SettingsKeyPath("Recent"), false))
        return;
    const QStringList files = ReadList(store, QStringLiteral("File"), store.ReadInteger(QStringLiteral("FileCount")));
    QStringList folders;
    if (store.ValueExists(QStringLiteral("FolderCount")))
        folders = ReadList(store, QStringLiteral("Folder"), store.ReadInteger(QStringLiteral("FolderCount")));
    store.CloseKey();
    settings.recentFiles = files;
    settings.recentFolders = folders;
}

void ReadSelectorsAndLengths(SettingsStore &store, MainSettings &settings)
{
    if (!store.OpenKey(SettingsKeyPath("Settings"), false))
        return;
    MainSettings read = settings;
    read.serialPort = store.ReadString(QStringLiteral("SerialPort"));
    if (store.ValueExists(QStringLiteral("DEF_BARCODE_LEN"))) {
        const int length = store.ReadInteger(QStringLiteral("DEF_BARCODE_LEN"));
        // Both fields take this length; beyond 64 they would overlap the next record.
        if (FieldLengthsFit(length, length))
            read.barcodeFieldLen = read.convStrFieldLen = length;
        else
            zered::LogPrint(zered::clMagenta, Msg::FieldLengthRefused, length, settings.barcodeFieldLen,
                            settings.convStrFieldLen);
    }
    if (store.ValueExists(QStringLiteral("BaudRate")))
        read.baudRate = store.ReadString(QStringLiteral("BaudRate"));
    store.CloseKey();
    settings.serialPort = read.serialPort;
    settings.baudRate = read.baudRate;
    settings.barcodeFieldLen = read.barcodeFieldLen;
    settings.convStrFieldLen = read.convStrFieldLen;
}

} // namespace

QString SettingsKeyPath(const char *subkey)
{
    return QString::fromLatin1(RegistryRoot) + u'\\' + QLatin1String(subkey);
}

void ReadMainSettings(SettingsStore &store, MainSettings &settings)
{
    ReadSettingsGroup(store, SettingsKeyPath("MainForm"), [&] { ReadPaneHeights(store, settings); });
    if (store.OpenKey(SettingsKeyPath("View"), false))
        store.CloseKey();
    ReadSettingsGroup(store, SettingsKeyPath("Recent"), [&] { ReadRecentLists(store, settings); });
    ReadSettingsGroup(store, SettingsKeyPath("Settings"), [&] { ReadSelectorsAndLengths(store, settings); });
}

void WriteMainSettings(SettingsStore &store, const MainSettings &settings)
{
    if (store.OpenKey(SettingsKeyPath("MainForm"), true)) {
        store.WriteInteger(QStringLiteral("LogHeight"), settings.logHeight);
        store.WriteInteger(QStringLiteral("MessageHeight"), settings.messageHeight);
        store.CloseKey();
    }
    if (store.OpenKey(SettingsKeyPath("View"), true))
        store.CloseKey();
    if (store.OpenKey(SettingsKeyPath("Recent"), true)) {
        WriteList(store, QStringLiteral("FileCount"), QStringLiteral("File"), settings.recentFiles);
        WriteList(store, QStringLiteral("FolderCount"), QStringLiteral("Folder"), settings.recentFolders);
        store.CloseKey();
    }
    if (store.OpenKey(SettingsKeyPath("Settings"), true)) {
        store.WriteString(QStringLiteral("SerialPort"), settings.serialPort);
        store.WriteString(QStringLiteral("BaudRate"), settings.baudRate);
        store.CloseKey();
    }
}
