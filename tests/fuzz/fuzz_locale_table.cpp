// The locale table: any bytes, read as the program reads its tables, give
// lines whose values format with the arguments the program passes.
#include "common/codepage.h"
#include "common/zered_lang.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const QString &line : SplitTableLines(DecodeCp932(bytes))) {
        const QString value = line.mid(line.indexOf(u'=') + 1);
        FormatWithArgs(value, {});
        FormatWithArgs(value, {42LL, QStringLiteral("COM1"), -7LL});
        const QString text = FormatWithArgs(value, {QStringLiteral("file.csv"), 1234LL});
        FUZZ_CHECK(text.size() <= value.size() + 2 * 10000 + 64);   // widths are bounded
    }
    return 0;
}
