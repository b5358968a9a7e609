// The binary image codec: any 64 KiB image shown in a grid and written back
// shows the same grid again, and the written image is one of the controller's
// well-formed ones (fields padded with 0xFF).
#include "documents/string_grid.h"
#include "documents/table_image.h"
#include "fuzz_check.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray image(TableImageSize, char(0xFF));
    std::memcpy(image.data(), data, std::min<size_t>(size, TableImageSize));
    StringGrid first(3, TableRowCount + 1);
    DecodeTableImage(image.constData(), first);

    QByteArray written(TableImageSize, '\0');
    EncodeTableImage(first, written.data());
    StringGrid second(3, TableRowCount + 1);
    DecodeTableImage(written.constData(), second);
    for (int row = 1; row <= TableRowCount; ++row) {
        for (int col : {ConvStrColumn, BarcodeColumn})
            FUZZ_CHECK(first.cell(col, row) == second.cell(col, row));
        FUZZ_CHECK(second.cell(NumberColumn, row) == QByteArray::number(row));
    }
    QByteArray again(TableImageSize, '\0');
    EncodeTableImage(second, again.data());
    FUZZ_CHECK(again == written);
    return 0;
}
