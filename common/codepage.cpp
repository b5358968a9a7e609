#include "common/codepage.h"

// The conversions themselves are the platform's (codepage_icu.cpp, codepage_win32.cpp).

bool DecodesCleanly(const QByteArray &bytes)
{
    return EncodeCp932(DecodeCp932(bytes)) == bytes;
}
