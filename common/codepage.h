#pragma once

#include <QByteArray>
#include <QString>
#include <utility>

// CP932 (Shift-JIS as Windows writes it) for showing and editing the table's byte
// texts. The bytes stay the truth: a text is decoded only to be shown and encoded
// only when the operator typed it.

// Never fails; bytes that do not decode become U+FFFD.
QString DecodeCp932(const QByteArray &bytes);
// At most maxBytes of bytes decoded, whole characters only, with an ellipsis
// when bytes is longer: what a cell or a message shows of a text of megabytes.
QString DecodeCp932Head(const QByteArray &bytes, qsizetype maxBytes);
// Characters CP932 cannot hold become '?'.
QByteArray EncodeCp932(const QString &text);
// True when decoding and encoding again gives the same bytes.
bool DecodesCleanly(const QByteArray &bytes);
// True when every byte belongs to a character of the code page. Some characters
// have two forms (the NEC-selected rows 0xED/0xEE and row 13 beside the IBM
// rows 0xFA-0xFC and JIS), of which encoding gives one: see OtherFormAt.
bool IsCp932Text(const QByteArray &bytes);
// Where text, encoded again from its characters, would give other bytes: the
// first such character's bytes and the bytes encoding gives for it; empty when none.
struct OtherForm
{
    QByteArray bytes, encoded;
    QString character;
};
OtherForm OtherFormAt(const QByteArray &bytes);

// Lead byte of a double-byte character (0x81-0x9F, 0xE0-0xFC).
inline bool IsCp932LeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
// Second byte of a double-byte character (0x40-0x7E, 0x80-0xFC).
inline bool IsCp932TrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
// Bytes from i that make one character: two for a lead byte with a valid
// second byte, else one (a lone lead byte never swallows a comma or a quote).
inline int Cp932CharLength(const QByteArray &bytes, qsizetype i)
{
    return i + 1 < bytes.size() && IsCp932LeadByte(uchar(bytes[i])) && IsCp932TrailByte(uchar(bytes[i + 1])) ? 2 : 1;
}

// The text as CP932 bytes with nothing lost. The usual Unicode look-alikes are
// taken as the CP932 characters Windows writes for them (U+301C wave dash as
// the full-width tilde, U+2212 minus as the full-width hyphen-minus, ¢ £ ¬ ¦,
// ‖ and the em dash); unencodableAt is the index in text of the first
// character that CP932 still cannot hold, -1 when there is none.
struct Cp932Encoding
{
    QByteArray bytes;
    qsizetype unencodableAt = -1;
};
Cp932Encoding EncodeCp932Exact(const QString &text);
// The look-alike mapping alone: each look-alike replaced by its CP932 form.
QString WithCp932LookAlikes(QString text);
// True when every byte is below 0x80, which CP932 and UTF-8 both keep as it is.
inline bool IsAsciiText(const QByteArray &bytes)
{
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}
// text with each UTF-16 unit c replaced by map(c); the text is copied only
// when a unit changes, so a text of megabytes that needs nothing costs nothing.
template <typename Map>
QString MappedUnits(QString text, Map map)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (const char16_t to = map(std::as_const(text)[i].unicode()); to != std::as_const(text)[i].unicode())
            text[i] = QChar(to);
    return text;
}
