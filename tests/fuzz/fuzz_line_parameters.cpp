// The line parameters of the baud selector and the settings: any text either
// reads or is refused with the conversion error, never hangs or overflows.
#include "common/zered_error.h"
#include "device/kovserial.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const TKOVLineParams params = KovParseLineParams(text);
        FUZZ_CHECK(params.Parity >= 0 && params.Parity <= 2);
        FUZZ_CHECK(params.StopBits == 0 || params.StopBits == 2);
    } catch (const OstrelError &e) {
        FUZZ_CHECK(!e.message().isEmpty());
    }
    return 0;
}
