#include "common/counted_text.h"

#include <QRegularExpression>

QString FillCounted(const QString &text, const QStringList &args)
{
    static const QRegularExpression part(QStringLiteral("%([1-9])|\\{(?:([1-9]):)?([^{}|]*)\\|([^{}|]*)\\}"));
    QString filled;
    QString count;   // the argument of the last placeholder
    qsizetype from = 0;
    for (const QRegularExpressionMatch &m : part.globalMatch(text)) {
        filled += text.mid(from, m.capturedStart() - from);
        if (m.capturedLength(1) > 0) {
            count = args.value(m.captured(1).toInt() - 1);
            filled += count;
        } else {
            const QString &by = m.capturedLength(2) > 0 ? args.value(m.captured(2).toInt() - 1) : count;
            filled += by == QLatin1String("1") ? m.captured(3) : m.captured(4);
        }
        from = m.capturedEnd();
    }
    return filled + text.mid(from);
}

QString FillCounted(const char *text, const QStringList &args)
{
    return FillCounted(QString::fromUtf8(text), args);
}
