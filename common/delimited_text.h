#pragma once

#include <QtGlobal>
#include <string>
#include <type_traits>

// The rules of one dialect of delimited text: fields split by a separator,
// and a field that opens with a double quote runs to the closing one, holding
// separators and blanks, with "" standing for one quote.
struct DelimitedRules
{
    char16_t separator = u',';
    // Characters 1 to 32 around a field are skipped and end an unquoted one;
    // a separator that is the very last character still adds an empty field.
    bool blanksAroundFields = false;
    // CR, LF and CR LF end a record (inside quotes too, unless kept below).
    bool linesAreRecords = false;
    // "ab"cd is the one field abcd; otherwise cd is the next field.
    bool textAfterQuoteJoins = false;
    // A line break inside quotes goes to the sink's breakInQuotes, which
    // raises; otherwise it is part of the field.
    bool breaksInQuotesRefused = false;
};

// Steps over one character of an unquoted field: one unit, or more where an
// encoding's characters take several and a later unit may look like a separator.
struct OneUnitSteps
{
    template <typename Char>
    qsizetype operator()(const Char *, qsizetype, qsizetype) const
    {
        return 1;
    }
};

// What a sink need not hear: a quote never closed, a refused line break
// (never met unless refused), a record's end.
struct DelimitedSinkDefaults
{
    template <typename Char>
    void unclosed(const Char *, qsizetype)
    {
    }
    void breakInQuotes() {}
    void endRecord() {}
};

// Reads text of n units (char or char16_t) by rules and hands what it finds
// to sink, in order:
//   field(const Char *text, qsizetype size)     one field
//   unclosed(const Char *text, qsizetype size)  before the field of a quote never closed (what it holds)
//   breakInQuotes()                             a line break inside quotes, when refused; raises
//   endRecord()                                 after the last field of a record
// The reader stops only at n: each caller cuts its own text where it ends.
template <typename Char, typename Sink, typename Steps = OneUnitSteps>
void ReadDelimited(const Char *text, qsizetype n, const DelimitedRules &rules, Sink &sink, Steps steps = {})
{
    using Unit = std::make_unsigned_t<Char>;
    const auto isBlank = [](Char c) { return Unit(c) >= 1 && Unit(c) <= 32; };
    const auto isBreak = [](Char c) { return c == Char('\r') || c == Char('\n'); };
    const Char separator = Char(rules.separator);
    const auto endsUnquoted = [&](Char c) {
        return c == separator || (rules.blanksAroundFields && isBlank(c)) || (rules.linesAreRecords && isBreak(c));
    };
    const auto endsQuotedRun = [&](Char c) {
        return c == Char('"') || (rules.linesAreRecords && rules.breaksInQuotesRefused && isBreak(c));
    };
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        if (rules.blanksAroundFields)
            while (i < n && isBlank(text[i]))
                ++i;
    };
    // The end of the unquoted run from i.
    const auto unquotedEnd = [&] {
        qsizetype j = i;
        while (j < n && !endsUnquoted(text[j]))
            j += steps(text, j, n);
        return std::min(j, n);
    };
    std::basic_string<Char> quoted;
    bool recordOpen = false;
    skipBlanks();
    while (i < n) {
        if (text[i] == Char('"')) {
            quoted.clear();
            bool closed = false;
            for (++i; i < n;) {
                qsizetype j = i;
                while (j < n && !endsQuotedRun(text[j]))
                    ++j;
                quoted.append(text + i, size_t(j - i));
                i = j;
                if (i == n)
                    break;
                if (text[i] != Char('"')) {
                    sink.breakInQuotes();
                    quoted += text[i++];
                } else if (i + 1 < n && text[i + 1] == Char('"')) {
                    quoted += Char('"');
                    i += 2;
                } else {
                    ++i;
                    closed = true;
                    break;
                }
            }
            if (!closed)
                sink.unclosed(quoted.data(), qsizetype(quoted.size()));
            if (rules.textAfterQuoteJoins) {
                const qsizetype end = unquotedEnd();
                quoted.append(text + i, size_t(end - i));
                i = end;
            }
            sink.field(quoted.data(), qsizetype(quoted.size()));
        } else {
            const qsizetype end = unquotedEnd();
            sink.field(text + i, end - i);
            i = end;
        }
        recordOpen = true;
        skipBlanks();
        if (i < n && text[i] == separator) {
            if (++i == n)
                sink.field(text + i, 0);
            skipBlanks();
        } else if (i < n && rules.linesAreRecords && isBreak(text[i])) {
            if (text[i] == Char('\r') && i + 1 < n && text[i + 1] == Char('\n'))
                ++i;
            ++i;
            sink.endRecord();
            recordOpen = false;
        }
    }
    if (recordOpen)
        sink.endRecord();
}
