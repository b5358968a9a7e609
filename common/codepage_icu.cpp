// CP932 through ICU, on every platform but Windows.
#include "common/codepage.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <memory>
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

// Every character the code page cannot hold becomes one "?"; ICU's own substitute
// would drop invisible ones (zero-width space, soft hyphen, variation selectors).
void fromUQuestionMark(const void *, UConverterFromUnicodeArgs *args, const UChar *, int32_t, UChar32,
                       UConverterCallbackReason reason, UErrorCode *err)
{
    if (reason > UCNV_IRREGULAR)
        return;
    *err = U_ZERO_ERROR;
    ucnv_cbFromUWriteBytes(args, "?", 1, 0, err);
}

// ICU's windows-932 swaps three control codes the IBM PC way (byte 0x1A is U+001C,
// 0x1C is U+007F, 0x7F is U+001A); Windows maps them to themselves.
constexpr char16_t swappedControl(char16_t icu)
{
    switch (icu) {
    case 0x1C: return 0x1A;
    case 0x7F: return 0x1C;
    case 0x1A: return 0x7F;
    default: return icu;
    }
}
// The text handed to ICU: the reverse of swappedControl, and U+F86F, which ICU
// alone encodes (one way, as 0x8782), made a character no code page holds.
constexpr char16_t forIcu(char16_t windows)
{
    switch (windows) {
    case 0x1A: return 0x1C;
    case 0x1C: return 0x7F;
    case 0x7F: return 0x1A;
    case 0xF86F: return 0xFFFF;
    default: return windows;
    }
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
        ucnv_setFromUCallBack(c, fromUQuestionMark, nullptr, nullptr, nullptr, &err);
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
        for (QChar &c : text)
            c = QChar(swappedControl(c.unicode()));
        return text;
    }
}

QByteArray EncodeCp932(const QString &text)
{
    if (text.isEmpty())
        return QByteArray();
    const QString icuText = MappedUnits(text, forIcu);
    // A UTF-16 unit gives at most two bytes; the second pass is only a safeguard.
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    for (;;) {
        UErrorCode err = U_ZERO_ERROR;
        const int32_t n = ucnv_fromUChars(cp932(), bytes.data(), bytes.size(),
                                          reinterpret_cast<const UChar *>(icuText.constData()), icuText.size(), &err);
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
