#include "common/codepage.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <memory>
#include <utility>
#include <vector>

namespace {

// Undecodable bytes become U+FFFD, whatever substitute the converter would pick.
void toUReplacementChar(const void *, UConverterToUnicodeArgs *args, const char *, int32_t,
                        UConverterCallbackReason reason, UErrorCode *err)
{
    if (reason > UCNV_IRREGULAR)   // reset, close, clone: nothing to substitute
        return;
    static const UChar replacement = 0xFFFD;
    *err = U_ZERO_ERROR;
    ucnv_cbToUWriteUChars(args, &replacement, 1, 0, err);
}

struct ConverterCloser
{
    void operator()(UConverter *c) const { ucnv_close(c); }
};

// One converter per thread, opened on first use; a converter keeps state and
// is not shareable between threads.
UConverter *cp932()
{
    thread_local std::unique_ptr<UConverter, ConverterCloser> converter = [] {
        UErrorCode err = U_ZERO_ERROR;
        UConverter *c = ucnv_open("windows-932", &err);
        if (U_FAILURE(err))
            qFatal("ICU has no windows-932 converter: %s", u_errorName(err));
        ucnv_setToUCallBack(c, toUReplacementChar, nullptr, nullptr, nullptr, &err);
        ucnv_setFromUCallBack(c, UCNV_FROM_U_CALLBACK_SUBSTITUTE, nullptr, nullptr, nullptr, &err);
        ucnv_setSubstChars(c, "?", 1, &err);
        ucnv_setFallback(c, false);
        return std::unique_ptr<UConverter, ConverterCloser>(c);
    }();
    ucnv_reset(converter.get());
    return converter.get();
}

} // namespace

QString DecodeCp932(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return QString();
    // A byte gives at most one UTF-16 unit; the second pass is only a safeguard.
    QString text(bytes.size(), Qt::Uninitialized);
    for (;;) {
        UErrorCode err = U_ZERO_ERROR;
        const int32_t n = ucnv_toUChars(cp932(), reinterpret_cast<UChar *>(text.data()), text.size(),
                                        bytes.constData(), bytes.size(), &err);
        if (err == U_BUFFER_OVERFLOW_ERROR) {
            text.resize(n);
            continue;
        }
        if (U_FAILURE(err))
            return QString(bytes.size(), QChar(0xFFFD));
        text.truncate(n);
        return text;
    }
}

QByteArray EncodeCp932(const QString &text)
{
    if (text.isEmpty())
        return QByteArray();
    // A UTF-16 unit gives at most two bytes; the second pass is only a safeguard.
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    for (;;) {
        UErrorCode err = U_ZERO_ERROR;
        const int32_t n = ucnv_fromUChars(cp932(), bytes.data(), bytes.size(),
                                          reinterpret_cast<const UChar *>(text.constData()), text.size(), &err);
        if (err == U_BUFFER_OVERFLOW_ERROR) {
            bytes.resize(n);
            continue;
        }
        if (U_FAILURE(err))
            return QByteArray(text.size(), '?');
        bytes.truncate(n);
        return bytes;
    }
}

bool DecodesCleanly(const QByteArray &bytes)
{
    return EncodeCp932(DecodeCp932(bytes)) == bytes;
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
