#include "shell/main_settings.h"

#include "common/comma_text.h"
#include "common/form_placement.h"
#include "common/messages.h"
#include "common/settings_keys.h"
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
    if (!store.OpenKey(SettingsKeyPath(SettingsKey::MainForm), false))
        return;
    int logHeight = settings.logHeight;
    int messageHeight = settings.messageHeight;
    if (store.ValueExists(SettingsValue::LogHeight))
        logHeight = store.ReadInteger(SettingsValue::LogHeight, 0, MaxPlacementPixels);
    if (store.ValueExists(SettingsValue::MessageHeight))
        messageHeight = store.ReadInteger(SettingsValue::MessageHeight, 0, MaxPlacementPixels);
    store.CloseKey();
    settings.logHeight = logHeight;
    settings.messageHeight = messageHeight;
}

void ReadColumnWidth(SettingsStore &store, MainSettings &settings)
{
    if (!store.OpenKey(SettingsKeyPath(SettingsKey::View), false))
        return;
    int width = settings.convStrWidth;
    if (store.ValueExists(SettingsValue::ConvStrWidth))
        width = store.ReadInteger(SettingsValue::ConvStrWidth, 0, MaxPlacementPixels);
    store.CloseKey();
    settings.convStrWidth = width;
}

void ReadRecentLists(SettingsStore &store, MainSettings &settings)
{
    if (!store.OpenKey(SettingsKeyPath(SettingsKey::Recent), false))
        return;
    const QStringList files = ReadList(store, SettingsValue::File, store.ReadInteger(SettingsValue::FileCount));
    QStringList folders;
    if (store.ValueExists(SettingsValue::FolderCount))
        folders = ReadList(store, SettingsValue::Folder, store.ReadInteger(SettingsValue::FolderCount));
    QString lastFolder = settings.lastFolder;
    if (store.ValueExists(SettingsValue::LastFolder))
        lastFolder = store.ReadString(SettingsValue::LastFolder);
    store.CloseKey();
    settings.recentFiles = files;
    settings.recentFolders = folders;
    settings.lastFolder = lastFolder;
}

void ReadSelectorsAndLengths(SettingsStore &store, MainSettings &settings)
{
    if (!store.OpenKey(SettingsKeyPath(SettingsKey::Settings), false))
        return;
    MainSettings read = settings;
    // A missing or empty port would open nothing, and would be saved back as
    // such: the selector starts on USB, its own default, instead.
    if (const QString port = store.ReadString(SettingsValue::SerialPort); !port.isEmpty())
        read.serialPort = port;
    if (store.ValueExists(SettingsValue::DefBarcodeLen)) {
        const int length = store.ReadInteger(SettingsValue::DefBarcodeLen);
        // Both fields take this length; beyond 64 they would overlap the next record.
        if (FieldLengthsFit(length, length))
            read.barcodeFieldLen = read.convStrFieldLen = length;
        else
            zered::LogPrint(zered::clMagenta, Msg::FieldLengthRefused, length, settings.barcodeFieldLen,
                            settings.convStrFieldLen);
    }
    if (store.ValueExists(SettingsValue::BaudRate))
        read.baudRate = store.ReadString(SettingsValue::BaudRate);
    // Settings from before the safeguards existed lack them: they stay on.
    if (store.ValueExists(SettingsValue::SendBackup))
        read.sendBackup = store.ReadInteger(SettingsValue::SendBackup) != 0;
    if (store.ValueExists(SettingsValue::SendVerify))
        read.sendVerify = store.ReadInteger(SettingsValue::SendVerify) != 0;
    if (store.ValueExists(SettingsValue::SendToPorts))
        read.sendToPorts = CommaTextSplit(store.ReadString(SettingsValue::SendToPorts));
    store.CloseKey();
    settings.sendToPorts = read.sendToPorts;
    settings.sendBackup = read.sendBackup;
    settings.sendVerify = read.sendVerify;
    settings.serialPort = read.serialPort;
    settings.baudRate = read.baudRate;
    settings.barcodeFieldLen = read.barcodeFieldLen;
    settings.convStrFieldLen = read.convStrFieldLen;
}

} // namespace

QString SettingsKeyPath(QLatin1String subkey)
{
    return QString::fromLatin1(RegistryRoot) + u'\\' + subkey;
}

void ReadMainSettings(SettingsStore &store, MainSettings &settings)
{
    ReadSettingsGroup(store, SettingsKeyPath(SettingsKey::MainForm), [&] { ReadPaneHeights(store, settings); });
    ReadSettingsGroup(store, SettingsKeyPath(SettingsKey::View), [&] { ReadColumnWidth(store, settings); });
    ReadSettingsGroup(store, SettingsKeyPath(SettingsKey::Recent), [&] { ReadRecentLists(store, settings); });
    ReadSettingsGroup(store, SettingsKeyPath(SettingsKey::Settings), [&] { ReadSelectorsAndLengths(store, settings); });
}

void WriteMainSettings(SettingsStore &store, const MainSettings &settings)
{
    if (store.OpenKey(SettingsKeyPath(SettingsKey::MainForm), true)) {
        store.WriteInteger(SettingsValue::LogHeight, settings.logHeight);
        store.WriteInteger(SettingsValue::MessageHeight, settings.messageHeight);
        store.CloseKey();
    }
    if (store.OpenKey(SettingsKeyPath(SettingsKey::View), true)) {
        if (settings.convStrWidth > 0)
            store.WriteInteger(SettingsValue::ConvStrWidth, settings.convStrWidth);
        store.CloseKey();
    }
    if (store.OpenKey(SettingsKeyPath(SettingsKey::Recent), true)) {
        WriteList(store, SettingsValue::FileCount, SettingsValue::File, settings.recentFiles);
        WriteList(store, SettingsValue::FolderCount, SettingsValue::Folder, settings.recentFolders);
        if (!settings.lastFolder.isEmpty())
            store.WriteString(SettingsValue::LastFolder, settings.lastFolder);
        store.CloseKey();
    }
    if (store.OpenKey(SettingsKeyPath(SettingsKey::Settings), true)) {
        store.WriteString(SettingsValue::SerialPort, settings.serialPort);
        store.WriteString(SettingsValue::BaudRate, settings.baudRate);
        store.WriteInteger(SettingsValue::SendBackup, settings.sendBackup ? 1 : 0);
        store.WriteInteger(SettingsValue::SendVerify, settings.sendVerify ? 1 : 0);
        store.WriteString(SettingsValue::SendToPorts, CommaTextJoin(settings.sendToPorts));
        store.CloseKey();
    }
}
