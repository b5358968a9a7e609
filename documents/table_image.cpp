#include "documents/table_image.h"

#include "documents/string_grid.h"

#include <algorithm>
#include <array>
#include <cstring>

int BarcodeFieldLen = DefaultBarcodeFieldLen;
int ConvStrFieldLen = DefaultConvStrFieldLen;

bool FieldLengthsFit(int barcodeLen, int convStrLen)
{
    return barcodeLen > 0 && convStrLen > 0 && barcodeLen <= TableRecordSize - convStrLen;
}

FieldLengths ActiveFieldLengths()
{
    // Lengths a record cannot hold would write past it; the defaults stand in.
    if (FieldLengthsFit(BarcodeFieldLen, ConvStrFieldLen))
        return {BarcodeFieldLen, ConvStrFieldLen};
    return {DefaultBarcodeFieldLen, DefaultConvStrFieldLen};
}

int ColumnFieldLength(int column)
{
    switch (column) {
    case ConvStrColumn: return ConvStrFieldLen;
    case BarcodeColumn: return BarcodeFieldLen;
    default: return -1;
    }
}

namespace {

void copyField(char *field, int length, const QByteArray &text)
{
    std::memcpy(field, text.constData(), std::min<qsizetype>(text.size(), length));
}

} // namespace

const QByteArray &RowNumberText(int row)
{
    static const std::array<QByteArray, TableRowCount + 1> texts = [] {
        std::array<QByteArray, TableRowCount + 1> t;
        for (int r = 1; r <= TableRowCount; ++r)
            t[r] = QByteArray::number(r);
        return t;
    }();
    return texts[std::clamp(row, 0, TableRowCount)];
}

void EncodeTableImage(const StringGrid &grid, char *image)
{
    const FieldLengths len = ActiveFieldLengths();
    std::memset(image, 0xFF, TableImageSize);
    bool barcodeSeen = false;
    for (int row = TableRowCount; row >= 1; --row) {
        char *record = image + (row - 1) * TableRecordSize;
        const QByteArray &barcode = grid.cell(BarcodeColumn, row);
        if (!barcode.isEmpty()) {
            copyField(record, len.barcode, barcode);
            barcodeSeen = true;
        } else if (barcodeSeen) {
            record[0] = 0x00;   // empty entry inside the table
        }
        copyField(record + len.barcode, len.convStr, grid.cell(ConvStrColumn, row));
    }
}

QByteArray ReadImageField(const char *field, int length)
{
    const char *end = static_cast<const char *>(std::memchr(field, 0x00, length));
    qsizetype size = end ? end - field : length;
    while (size > 0 && static_cast<unsigned char>(field[size - 1]) == 0xFF)
        --size;
    return QByteArray(field, size);
}

void DecodeTableImage(const char *image, StringGrid &grid)
{
    const FieldLengths len = ActiveFieldLengths();
    for (int row = TableRowCount; row >= 1; --row) {
        const char *record = image + (row - 1) * TableRecordSize;
        grid.setCell(NumberColumn, row, RowNumberText(row));
        grid.setCell(BarcodeColumn, row, ReadImageField(record, len.barcode));
        grid.setCell(ConvStrColumn, row, ReadImageField(record + len.barcode, len.convStr));
    }
}
