// CP932 through the system's own code page 932 (Windows). Gives the same results
// as the ICU codec elsewhere: a lead byte with a valid second byte is one
// character or one U+FFFD, a lone lead byte or an undecodable byte is one U+FFFD,
// and only exact mappings are used when encoding (no best-fit guesses).
#include "common/codepage.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <array>

namespace {

constexpr UINT CodePage = 932;
constexpr char16_t Replacement = 0xFFFD;

// Single bytes the code page leaves undefined; Windows passes them through as
// U+0080 and private characters, which are no characters of the table.
bool IsUndefinedSingleByte(uchar b)
{
    return b == 0x80 || b == 0xA0 || b >= 0xFD;
}

// The decoding of every single byte and every lead/trail pair, asked of the
// system once; decoding is then a lookup.
class DecodeTable
{
public:
    DecodeTable()
    {
        for (int b = 0; b < 256; ++b)
            m_single[b] = IsCp932LeadByte(uchar(b)) || IsUndefinedSingleByte(uchar(b)) ? Replacement : ask({char(b)});
        for (int lead = 0; lead < 256; ++lead) {
            if (!IsCp932LeadByte(uchar(lead)))
                continue;
            for (int trail = 0; trail < 256; ++trail)
                m_double[pairIndex(uchar(lead), uchar(trail))] =
                    IsCp932TrailByte(uchar(trail)) ? ask({char(lead), char(trail)}) : Replacement;
        }
    }

    char16_t single(uchar b) const { return m_single[b]; }
    char16_t pair(uchar lead, uchar trail) const { return m_double[pairIndex(lead, trail)]; }

private:
    static int leadIndex(uchar lead) { return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31; }
    static int pairIndex(uchar lead, uchar trail) { return leadIndex(lead) * 256 + trail; }

    static char16_t ask(std::initializer_list<char> bytes)
    {
        wchar_t out[2] = {};
        const int n = MultiByteToWideChar(CodePage, MB_ERR_INVALID_CHARS, std::data(bytes), int(bytes.size()), out, 2);
        if (n != 1)
            return Replacement;
        return char16_t(out[0]);
    }

    std::array<char16_t, 256> m_single{};
    std::array<char16_t, 60 * 256> m_double{};
};

const DecodeTable &decodeTable()
{
    static const DecodeTable table;
    return table;
}

// The bytes of one UTF-16 code unit, or "?" when the code page has no exact mapping.
void appendEncoded(QByteArray &out, char16_t unit)
{
    char bytes[2];
    BOOL usedDefault = FALSE;
    const wchar_t in = wchar_t(unit);
    const int n = WideCharToMultiByte(CodePage, WC_NO_BEST_FIT_CHARS, &in, 1, bytes, 2, "?", &usedDefault);
    if (n <= 0 || usedDefault || (n == 1 && IsUndefinedSingleByte(uchar(bytes[0]))))
        out.append('?');
    else
        out.append(bytes, n);
}

} // namespace

QString DecodeCp932(const QByteArray &bytes)
{
    const DecodeTable &table = decodeTable();
    QString text;
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar b = uchar(bytes[i]);
        if (!IsCp932LeadByte(b)) {
            text.append(QChar(table.single(b)));
        } else if (i + 1 < bytes.size() && IsCp932TrailByte(uchar(bytes[i + 1]))) {
            text.append(QChar(table.pair(b, uchar(bytes[i + 1]))));
            ++i;
        } else {
            text.append(QChar(Replacement));   // the next byte starts afresh
        }
    }
    return text;
}

QByteArray EncodeCp932(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isSurrogate()) {
            // Nothing outside the BMP is in the code page: one "?" per character.
            if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
            bytes.append('?');
        } else {
            appendEncoded(bytes, c.unicode());
        }
    }
    return bytes;
}
