#include "common/codepage.h"

// The conversions themselves are the platform's (codepage_icu.cpp, codepage_win32.cpp).

namespace {

// True when check holds for every piece of bytes; the pieces (64 KiB or a byte
// more) end at whole characters, so a text of megabytes is never decoded at once.
template <typename Check>
bool everyPiece(const QByteArray &bytes, Check check)
{
    constexpr qsizetype pieceBytes = 1 << 16;
    if (bytes.size() <= pieceBytes)
        return check(bytes);
    for (qsizetype start = 0; start < bytes.size();) {
        qsizetype end = start;
        while (end < bytes.size() && end - start < pieceBytes)
            end += Cp932CharLength(bytes, end);
        if (!check(QByteArray::fromRawData(bytes.constData() + start, end - start)))
            return false;
        start = end;
    }
    return true;
}

}   // namespace

bool DecodesCleanly(const QByteArray &bytes)
{
    return everyPiece(bytes, [](const QByteArray &piece) { return EncodeCp932(DecodeCp932(piece)) == piece; });
}

QString DecodeCp932Head(const QByteArray &bytes, qsizetype maxBytes)
{
    if (bytes.size() <= maxBytes)
        return DecodeCp932(bytes);
    qsizetype end = 0;
    while (end < maxBytes)
        end += Cp932CharLength(bytes, end);
    return DecodeCp932(bytes.left(end)) + u'\u2026';
}

bool IsCp932Text(const QByteArray &bytes)
{
    return everyPiece(bytes, [](const QByteArray &piece) { return !DecodeCp932(piece).contains(QChar(0xFFFD)); });
}

OtherForm OtherFormAt(const QByteArray &bytes)
{
    if (DecodesCleanly(bytes))
        return {};
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = Cp932CharLength(bytes, i);
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
    return MappedUnits(std::move(text), [](char16_t c) {
        for (const auto &[from, to] : LookAlikes)
            if (c == from)
                return to;
        return c;
    });
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
