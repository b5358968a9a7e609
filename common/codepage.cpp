#include "common/codepage.h"

// The conversions themselves are the platform's (codepage_icu.cpp, codepage_win32.cpp).

bool DecodesCleanly(const QByteArray &bytes)
{
    return EncodeCp932(DecodeCp932(bytes)) == bytes;
}

bool IsCp932Text(const QByteArray &bytes)
{
    return !DecodeCp932(bytes).contains(QChar(0xFFFD));
}

OtherForm OtherFormAt(const QByteArray &bytes)
{
    if (DecodesCleanly(bytes))
        return {};
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = i + 1 < bytes.size() && IsCp932LeadByte(uchar(bytes[i]))
                                   && IsCp932TrailByte(uchar(bytes[i + 1]))
                               ? 2
                               : 1;
        const QByteArray one = bytes.mid(i, length);
        const QString character = DecodeCp932(one);
        if (const QByteArray encoded = EncodeCp932(character); encoded != one)
            return {one, encoded, character};
        i += length;
    }
    return {};
}

namespace {

// Characters other Shift-JIS tables and input methods use where CP932 has a
// character of its own, and that character.
constexpr std::pair<char16_t, char16_t> LookAlikes[] = {
    {u'\u301C', u'\uFF5E'},   // wave dash -> full-width tilde
    {u'\u2212', u'\uFF0D'},   // minus sign -> full-width hyphen-minus
    {u'\u00A2', u'\uFFE0'},   // cent sign
    {u'\u00A3', u'\uFFE1'},   // pound sign
    {u'\u00AC', u'\uFFE2'},   // not sign
    {u'\u00A6', u'\uFFE4'},   // broken bar
    {u'\u2016', u'\u2225'},   // double vertical line -> parallel to
    {u'\u2014', u'\u2015'},   // em dash -> horizontal bar
};

} // namespace

QString WithCp932LookAlikes(QString text)
{
    for (QChar &c : text)
        for (const auto &[from, to] : LookAlikes)
            if (c.unicode() == from) {
                c = QChar(to);
                break;
            }
    return text;
}

Cp932Encoding EncodeCp932Exact(const QString &text)
{
    const QString mapped = WithCp932LookAlikes(text);
    Cp932Encoding result{EncodeCp932(mapped), -1};
    // The encoder writes '?' for what it cannot hold; '?' is never part of a
    // double-byte character, so more of them than the text has means a loss.
    if (result.bytes.count('?') == mapped.count(u'?'))
        return result;
    for (qsizetype i = 0; i < mapped.size();) {
        const qsizetype width = mapped[i].isHighSurrogate() && i + 1 < mapped.size() ? 2 : 1;
        const QString one = mapped.mid(i, width);
        if (one != u"?" && EncodeCp932(one) == "?") {
            result.unencodableAt = i;
            break;
        }
        i += width;
    }
    return result;
}
