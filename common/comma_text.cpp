#include "common/comma_text.h"

namespace {

constexpr QChar Quote = u'"';
constexpr QChar Comma = u',';

// Blank and control characters; U+0000 is the end of the text, never skipped.
bool isSkippable(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= 32;
}

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
    qsizetype end = text.indexOf(QChar(0));
    if (end < 0)
        end = text.size();
    auto skipBlanks = [&](qsizetype p) {
        while (p < end && isSkippable(text.at(p)))
            ++p;
        return p;
    };

    QStringList items;
    qsizetype p = skipBlanks(0);
    while (p < end) {
        QString item;
        if (text.at(p) == Quote) {
            ++p;
            while (p < end) {
                if (text.at(p) == Quote) {
                    ++p;
                    if (p >= end || text.at(p) != Quote)
                        break;
                }
                item += text.at(p);
                ++p;
            }
        } else {
            const qsizetype start = p;
            while (p < end && text.at(p).unicode() > 32 && text.at(p) != Comma)
                ++p;
            item = text.mid(start, p - start);
        }
        items.append(item);
        p = skipBlanks(p);
        if (p < end && text.at(p) == Comma) {
            if (p + 1 == end)
                items.append(QString());
            p = skipBlanks(p + 1);
        }
    }
    return items;
}
