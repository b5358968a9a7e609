// The spreadsheet CSV reader and writer: a file the reader takes, once written
// and read again, gives the same table; a file it refuses raises, never crashes.
// The file holds characters, so a character with two code-page forms comes back
// in the form encoding gives (the check names those rows).
#include "common/codepage.h"
#include "common/zered_error.h"
#include "documents/sheet_csv.h"
#include "documents/string_grid.h"
#include "documents/table_image.h"
#include "fuzz_check.h"

#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString name = QStringLiteral("fuzz.csv");
    StringGrid first(3, TableRowCount + 1);
    QByteArray written;
    try {
        ParseSheetTable(text, first, name);
        written = FormatSheetTable(first, name);
    } catch (const OstrelError &) {
        return 0;   // refused with a message: nothing to compare
    }
    StringGrid second(3, TableRowCount + 1);
    const LoadWarnings warnings = ParseSheetTable(written, second, name);
    FUZZ_CHECK(warnings.lines(name).isEmpty());
    for (int row = 1; row <= TableRowCount; ++row)
        for (int col : {ConvStrColumn, BarcodeColumn})
            FUZZ_CHECK(second.cell(col, row) == first.cell(col, row)
                       || (!OtherFormAt(first.cell(col, row)).bytes.isEmpty()
                           && second.cell(col, row) == EncodeCp932(DecodeCp932(first.cell(col, row)))));
    return 0;
}
