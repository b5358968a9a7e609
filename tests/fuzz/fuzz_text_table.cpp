// The text table reader and writer: whatever a file holds, reading it, writing
// the table and reading that again gives the same table.
#include "documents/string_grid.h"
#include "documents/table_files.h"
#include "documents/table_image.h"
#include "fuzz_check.h"

#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    StringGrid first(3, TableRowCount + 1);
    ParseTextTable(SplitTextLines(text), first);
    const QByteArray written = FormatTextTable(first, QStringLiteral("fuzz.csv"));
    StringGrid second(3, TableRowCount + 1);
    const QList<QByteArray> lines = SplitTextLines(written);
    FUZZ_CHECK(lines.size() == TableRowCount);
    ParseTextTable(lines, second);
    for (int row = 1; row <= TableRowCount; ++row)
        for (int col : {ConvStrColumn, BarcodeColumn})
            FUZZ_CHECK(first.cell(col, row) == second.cell(col, row));
    return 0;
}
