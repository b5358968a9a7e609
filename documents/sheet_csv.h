#pragma once

#include "documents/table_files.h"

#include <QByteArray>
#include <QString>

class StringGrid;

// CSV as spreadsheets write it (RFC 4180): fields split at commas only, quoted
// fields may hold commas and doubled quotes. Read as UTF-8 when the file has a
// byte order mark or is valid UTF-8, else as Shift-JIS; written as UTF-8 with a
// byte order mark so a spreadsheet keeps the Japanese.

// Puts the records of text into rows 1.. of grid, converted to the table's
// Shift-JIS bytes. Raises OstrelError naming fileName, the row and the column
// when a field holds a line break or a character Shift-JIS cannot hold; the
// grid is then left as it was. Given text it alone holds, it lets go of it early.
LoadWarnings ParseSheetTable(QByteArray text, StringGrid &grid, const QString &fileName);
// The Shift-JIS bytes of a field a spreadsheet wrote in UTF-8 (look-alikes
// mapped). Raises OstrelError naming fileName, the row, the column and the
// first character Shift-JIS cannot hold.
QByteArray SheetFieldToCp932(const QByteArray &utf8, const QString &fileName, int row, int column);
// A cell as UTF-8 for a spreadsheet file. Raises OstrelError naming fileName
// and the row for a line break, a 0x00 byte or bytes that are not Shift-JIS.
QByteArray SheetFieldToUtf8(const QByteArray &cell, const QString &fileName, int row);
// True when bytes are UTF-8 throughout; with complete false, bytes may end in
// the middle of a character (the head of a longer file).
bool IsValidUtf8(const QByteArray &bytes, bool complete = true);
// A field as written into a spreadsheet CSV: quoted when it holds a comma, a
// quote or a byte up to 0x20.
QByteArray SheetCsvField(const QByteArray &field);
// The records of a spreadsheet CSV text, its byte order mark dropped, the
// fields' bytes as they stand. Raises OstrelError naming fileName, the row
// and the column for a line break inside quotes.
QList<QList<QByteArray>> SheetCsvRecords(const QByteArray &text, const QString &fileName);
// Rows 1..512 of grid as a spreadsheet CSV. Raises OstrelError naming fileName
// and the row for a cell that holds a line break, a 0x00 byte or bytes that are
// not Shift-JIS, none of which the file could bring back.
QByteArray FormatSheetTable(const StringGrid &grid, const QString &fileName);
