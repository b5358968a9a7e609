#pragma once

#include <QLatin1String>

// Every key and value name the settings use, declared once. Keys are below the
// settings root; value names are exactly as stored, case included.
namespace SettingsKey {
inline constexpr QLatin1String MainForm{"MainForm"}, View{"View"}, Recent{"Recent"}, Settings{"Settings"};
} // namespace SettingsKey

namespace SettingsValue {
// \MainForm: the window's placement and the heights of the bottom panes.
inline constexpr QLatin1String WindowState{"WindowState"}, Width{"Width"}, Height{"Height"}, Left{"Left"},
    Top{"Top"}, Visible{"Visible"}, Floating{"Floating"}, LogHeight{"LogHeight"}, MessageHeight{"MessageHeight"};
// \View: the conversion-string column's width in pixels, once the user has set it.
inline constexpr QLatin1String ConvStrWidth{"ConvStrWidth"};
// \Recent: FileCount and File0, File1, ...; FolderCount and Folder0, Folder1, ...
inline constexpr QLatin1String FileCount{"FileCount"}, File{"File"}, FolderCount{"FolderCount"}, Folder{"Folder"};
// \Recent: the folder the file dialogs start in, the one a file was last chosen in.
inline constexpr QLatin1String LastFolder{"LastFolder"};
// \Settings: the selectors' texts and the field-length override (never written).
inline constexpr QLatin1String SerialPort{"SerialPort"}, BaudRate{"BaudRate"}, DefBarcodeLen{"DEF_BARCODE_LEN"};
// \Settings: the send's safeguards, 1 on and 0 off.
inline constexpr QLatin1String SendBackup{"SendBackup"}, SendVerify{"SendVerify"};
// \Settings: the ports ticked at the last send to several controllers, as comma text.
inline constexpr QLatin1String SendToPorts{"SendToPorts"};
} // namespace SettingsValue
