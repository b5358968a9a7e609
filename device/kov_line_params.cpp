#include "device/kovserial.h"

#include "common/comma_text.h"
#include "common/messages.h"
#include "common/zered_error.h"

#include <limits>

namespace {
int toInteger(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        throw OstrelError(QString::fromUtf8(Msg::NotAnInteger).arg(text));
    return value;
}

// "115.2" -> 115200: decimal digits with "." read exactly, times 1000,
// truncated toward zero (no binary floating-point rounding on the way).
int kiloToInteger(const QString &number)
{
    const auto fail = [&] { return OstrelError(QString::fromUtf8(Msg::NotAFloat).arg(number)); };
    qsizetype p = 0;
    bool negative = false;
    if (p < number.size() && (number[p] == u'+' || number[p] == u'-'))
        negative = number[p++] == u'-';
    qint64 value = 0;
    int digits = 0;
    for (; p < number.size() && number[p].isDigit(); ++p, ++digits) {
        value = value * 10 + number[p].digitValue();
        if (value > 10'000'000)
            throw fail();
    }
    value *= 1000;
    if (p < number.size() && number[p] == u'.') {
        qint64 scale = 100;
        for (++p; p < number.size() && number[p].isDigit(); ++p, ++digits) {
            value += number[p].digitValue() * scale;
            scale /= 10;
        }
    }
    // The integer part is bounded above, but a thousand times it may still not fit.
    if (digits == 0 || p != number.size() || value > std::numeric_limits<int>::max())
        throw fail();
    return int(negative ? -value : value);
}
} // namespace

TKOVLineParams KovParseLineParams(const QString &text)
{
    TKOVLineParams params;
    const QStringList items = CommaTextSplit(text);
    if (items.size() > 0) {
        const QString &rate = items[0];
        params.Rate = rate.endsWith(u'k') ? kiloToInteger(rate.chopped(1)) : toInteger(rate);
    }
    if (items.size() > 1)
        params.DataBits = toInteger(items[1]);
    if (items.size() > 2) {
        const QChar c = items[2].isEmpty() ? QChar() : items[2][0];
        params.Parity = (c == u'E' || c == u'e') ? 2 : (c == u'O' || c == u'o') ? 1 : 0;
    }
    if (items.size() > 3)
        params.StopBits = items[3].startsWith(u'2') ? 2 : 0;
    if (items.size() > 4) {
        params.Dtr = items[4].contains(u'd');
        params.Rts = items[4].contains(u'r');
    }
    return params;
}
