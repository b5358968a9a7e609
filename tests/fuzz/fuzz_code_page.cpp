// The code page: any bytes decode; bytes that decode cleanly encode back to
// themselves, and text encoded from a decoding decodes to the same text.
#include "common/codepage.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = DecodeCp932(bytes);
    if (DecodesCleanly(bytes))
        FUZZ_CHECK(EncodeCp932(text) == bytes);
    const QByteArray encoded = EncodeCp932(text);
    FUZZ_CHECK(DecodeCp932(EncodeCp932(DecodeCp932(encoded))) == DecodeCp932(encoded));
    return 0;
}
