// Milliseconds per operation for the table's conversions and file formats, on a
// full table (every row holds a conversion string and a barcode).

#include "documents/sheet_csv.h"
#include "documents/table_check.h"
#include "documents/table_document.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

namespace {

void measure(const char *name, int rounds, const std::function<void()> &op)
{
    op();   // warm the caches and the file system
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i)
        op();
    std::printf("%-28s %8.4f ms/op (%d rounds)\n", name, double(timer.nsecsElapsed()) / 1e6 / rounds, rounds);
}

void fillFullTable(TableDocument &d)
{
    for (int row = 1; row <= TableRowCount; ++row) {
        d.setCell(ConvStrColumn, row, "conversion text, row " + QByteArray::number(row) + " \x95\x5C");
        d.setCell(BarcodeColumn, row, "4901234567" + QByteArray::number(100000 + row));
    }
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString text = dir.filePath("full.csv"), binary = dir.filePath("full.bin"),
                  sheet = dir.filePath("sheet.csv");
    TableDocument d;
    fillFullTable(d);
    d.SaveToFile(text, 1);
    d.SaveToFile(binary, 2);
    d.SaveToFile(sheet, FileKindSheet);

    measure("text load (512 rows)", 500, [&] { d.LoadFromFile(text, -1); });
    measure("text save (512 rows)", 500, [&] { d.SaveToFile(text, 1); });
    measure("binary load", 500, [&] { d.LoadFromFile(binary, 2); });
    measure("binary save", 500, [&] { d.SaveToFile(binary, 2); });
    measure("sheet load (512 rows)", 500, [&] { d.LoadFromFile(sheet, FileKindSheet); });
    measure("sheet save (512 rows)", 500, [&] { d.SaveToFile(sheet, FileKindSheet); });
    // The conversions alone, without the file system.
    const QByteArray sheetBytes = FormatSheetTable(d.grid(), sheet);
    measure("sheet format in memory", 2000, [&] { FormatSheetTable(d.grid(), sheet); });
    StringGrid parsed = d.grid();
    measure("sheet parse in memory", 2000, [&] { ParseSheetTable(sheetBytes, parsed, sheet); });
    measure("check table (512 rows)", 2000, [&] { CheckTable(d.grid()); });
    measure("Update + ImageToGrid", 2000, [&] {
        d.Update();
        d.ImageToGrid();
    });
    return 0;
}
