#pragma once

#include "documents/table_image.h"

#include <QString>
#include <QStringList>

class SettingsStore;

// The main window's settings key and its subkeys.
inline constexpr char RegistryRoot[] = "\\Software\\Brenvik\\KOV-Ostrel";
QString SettingsKeyPath(QLatin1String subkey);   // "MainForm" -> RegistryRoot + "\MainForm"

// What the main window keeps between runs besides its placement.
struct MainSettings
{
    int logHeight = 17;       // footer pane
    int messageHeight = 17;   // message pane
    int convStrWidth = 0;     // table windows' conversion-string column; 0: not set by the user
    QStringList recentFiles;  // paths, most recent first
    QStringList recentFolders;
    QString lastFolder;       // where the file dialogs start; empty: not known yet
    QString serialPort = QStringLiteral("USB");
    QString baudRate = QStringLiteral("115.2k");
    bool sendBackup = true;   // the send's safeguards
    bool sendVerify = true;
    QStringList sendToPorts;   // ticked at the last send to several controllers
    int barcodeFieldLen = DefaultBarcodeFieldLen;
    int convStrFieldLen = DefaultConvStrFieldLen;
};

// Stored list entries read at most; the program writes 22 files and 12 folders,
// so only an outside edit comes near it, and a huge count cannot stall the start.
inline constexpr int MaxStoredEntriesRead = 1024;

// Reads the pane heights, the column width, the recent lists, the port, the baud rate and the
// field-length override into settings, each group on its own: a missing or
// wrong-kind value is logged and leaves its group at what settings held.
// A field-length override outside 1 to 64 is logged and not taken.
void ReadMainSettings(SettingsStore &store, MainSettings &settings);
// Writes what ReadMainSettings reads, except the field lengths and a last folder
// not known yet; removes nothing.
void WriteMainSettings(SettingsStore &store, const MainSettings &settings);
