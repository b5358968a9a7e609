#pragma once

#include <QString>

// The kind a file loads with when nobody chose one (command line, drop, recent
// entry, the all-files filter, the command-line tool's "auto"): a file of exactly
// 65,536 bytes holding a 0x00 byte or named .bin/.dat is a binary table image, a
// file starting with a UTF-8 byte order mark or holding non-ASCII text that is
// valid UTF-8 a spreadsheet CSV, a zip archive holding xl/workbook.xml an Excel
// workbook, anything else CSV/text (FileKindOwn). Logs the recognised kind; never raises (the load reports what
// is wrong with the file).
int RecogniseLoadKind(const QString &fileName);

// Stands for "no type chosen" where a load kind is passed on.
inline constexpr int FileKindAuto = -2;
// kind itself, or for FileKindAuto the kind fileName is recognised as.
inline int ResolveLoadKind(int kind, const QString &fileName)
{
    return kind == FileKindAuto ? RecogniseLoadKind(fileName) : kind;
}
