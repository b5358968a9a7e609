#pragma once

#include <QByteArray>

class StringGrid;

// Byte lengths of the two fields of a table record, process-wide (settings may
// change them at start-up). The barcode field comes first, then the conversion string.
extern int BarcodeFieldLen;   // 68
extern int ConvStrFieldLen;   // 60

inline constexpr int TableImageSize = 65536, TableRecordSize = 128, TableRowCount = 512;
// File kinds that load and save take: the file dialogs' filter index (CSV/text,
// binary file, all files read and written as text, spreadsheet CSV, Excel
// workbook), or the document's own kind (on load CSV/text, on save the kind it last had).
inline constexpr int FileKindOwn = -1, FileKindText = 1, FileKindBinary = 2, FileKindAllFiles = 3, FileKindSheet = 4,
                     FileKindXlsx = 5;
inline constexpr int DefaultBarcodeFieldLen = 68, DefaultConvStrFieldLen = 60;

// Field lengths a record can hold: both positive, together at most one record.
bool FieldLengthsFit(int barcodeLen, int convStrLen);
struct FieldLengths
{
    int barcode, convStr;
};
// The lengths in force: the process-wide ones, or the defaults when those do not fit.
FieldLengths ActiveFieldLengths();

// Grid columns of the table.
inline constexpr int NumberColumn = 0, ConvStrColumn = 1, BarcodeColumn = 2;
// Byte length past which a column's text no longer fits its record field; -1
// for a column that goes into no field.
int ColumnFieldLength(int column);

// Writes rows 1..512 of grid into image (TableImageSize bytes) in the controller's
// layout: raw bytes cut to the field, padding 0xFF, an empty barcode before the last
// barcode marked 0x00, after it 0xFF (the unused end of the table).
void EncodeTableImage(const StringGrid &grid, char *image);
// Shows the image in rows 1..512 of grid: numbers 1..512 and both fields read back.
void DecodeTableImage(const char *image, StringGrid &grid);
// A field read back: up to its first 0x00 byte, trailing 0xFF bytes dropped.
QByteArray ReadImageField(const char *field, int length);
// "1" .. "512", shared texts.
const QByteArray &RowNumberText(int row);
