// The comma text a later start forwards: any text splits into items that
// join and split back into the same items. A lone empty item is written as
// nothing at all, as the format has it, and so reads back as no item.
#include "common/comma_text.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList items = CommaTextSplit(text);
    if (items != QStringList{QString()})
        FUZZ_CHECK(CommaTextSplit(CommaTextJoin(items)) == items);
    return 0;
}
