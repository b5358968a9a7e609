#pragma once

#include "documents/table_files.h"

#include <QByteArray>
#include <QString>

class StringGrid;

// Excel workbooks (.xlsx). The table is the first sheet: column A the
// conversion strings, column B the bar codes, one row per entry, no header.

// A workbook file is read whole; a table's is a few kilobytes.
inline constexpr qint64 MaxWorkbookBytes = 16 * 1024 * 1024;

// True when bytes are a zip archive holding xl/workbook.xml.
bool IsXlsxWorkbook(const QByteArray &bytes);

// Puts the first sheet of the workbook in bytes into rows 1.. of grid as
// Shift-JIS: shared, inline and formula strings as they are, numbers as the
// digits a spreadsheet shows (no exponent), formulas as their last computed
// value (noted in the warnings, as are bar codes stored as numbers and cells
// past column B or row 512). Raises OstrelError naming fileName when the file is
// no workbook, and naming the row and column when a kept cell holds a line
// break or a character Shift-JIS cannot hold; the grid is then left as it was.
LoadWarnings ParseXlsxTable(const QByteArray &bytes, StringGrid &grid, const QString &fileName);

// Rows 1..512 of grid as a workbook: every cell a text cell (so a spreadsheet
// keeps the digits of a bar code as they are), empty trailing rows left out,
// columns as wide as their texts. Raises OstrelError naming fileName and the
// row for a cell holding a line break, a 0x00 byte or bytes that are not
// Shift-JIS, none of which the workbook could bring back.
QByteArray FormatXlsxTable(const StringGrid &grid, const QString &fileName);
