#include "common/comma_text.h"

#include "common/delimited_text.h"

namespace {

constexpr QChar Quote = u'"';
constexpr QChar Comma = u',';

bool needsQuotes(const QString &item)
{
    for (QChar c : item) {
        if (c.unicode() <= 32 || c == Quote || c == Comma)
            return true;
    }
    return false;
}

} // namespace

QString CommaTextJoin(const QStringList &items)
{
    QString text;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += Comma;
        const QString &item = items.at(i);
        if (needsQuotes(item)) {
            text += Quote;
            text += QString(item).replace(Quote, QStringLiteral("\"\""));
            text += Quote;
        } else {
            text += item;
        }
    }
    return text;
}

QStringList CommaTextSplit(const QString &text)
{
    struct Sink : DelimitedSinkDefaults
    {
        QStringList items;
        void field(const char16_t *text, qsizetype size)
        {
            items.append(QString(reinterpret_cast<const QChar *>(text), size));
        }
    } sink;
    DelimitedRules rules;
    rules.blanksAroundFields = true;
    const qsizetype end = text.contains(QChar(0)) ? text.indexOf(QChar(0)) : text.size();
    ReadDelimited(reinterpret_cast<const char16_t *>(text.utf16()), end, rules, sink);
    return sink.items;
}
