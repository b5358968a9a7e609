#include "common/prompt_meaning.h"

#include "common/counted_text.h"
#include "common/messages.h"
#include "common/zered_lang.h"

#include <QList>
#include <QRegularExpression>
#include <map>

namespace {

struct Meaning
{
    QRegularExpression japanese;   // the Japanese text, each %n a group
    QList<int> numbers;            // which %n each group stands for
    QString english;
};

const QRegularExpression &Placeholder()
{
    static const QRegularExpression placeholder(QStringLiteral("%([1-9])"));
    return placeholder;
}

// A placeholder takes the shortest text that lets the rest match; a text only
// starts at the beginning of a line, so a number before it is not swallowed.
Meaning MeaningOf(const char *japanese, const char *english)
{
    const QString text = QString::fromUtf8(japanese).trimmed();
    QString pattern = QStringLiteral("^");
    QList<int> numbers;
    qsizetype from = 0;
    for (const QRegularExpressionMatch &m : Placeholder().globalMatch(text)) {
        pattern += QRegularExpression::escape(text.mid(from, m.capturedStart() - from)) + QStringLiteral("(.+?)");
        numbers.append(m.captured(1).toInt());
        from = m.capturedEnd();
    }
    pattern += QRegularExpression::escape(text.mid(from));
    return {QRegularExpression(pattern, QRegularExpression::MultilineOption
                                            | QRegularExpression::DotMatchesEverythingOption),
            numbers, QString::fromUtf8(english)};
}

const QList<Meaning> &Meanings()
{
    static const QList<Meaning> meanings = [] {
        QList<Meaning> list;
        for (const auto &[japanese, english] : Msg::PromptMeanings)
            list.append(MeaningOf(japanese, english));
        return list;
    }();
    return meanings;
}

} // namespace

QString PromptMeaning(const QString &prompt)
{
    std::map<qsizetype, QString> found;   // by where the Japanese text starts
    for (const Meaning &meaning : Meanings()) {
        for (const QRegularExpressionMatch &m : meaning.japanese.globalMatch(prompt)) {
            QStringList held(9);
            for (qsizetype i = 0; i < meaning.numbers.size(); ++i)
                held[meaning.numbers[i] - 1] = m.captured(int(i) + 1);
            found.emplace(m.capturedStart(), FillCounted(meaning.english, held));
        }
    }
    QStringList lines;
    for (const auto &[start, english] : found)
        lines.append(english);
    return lines.join(u'\n');
}

bool InterfaceIsJapanese()
{
    return ZeredLang && ZeredLang->LanguageCode() == QLatin1String("JA") && !ZeredLang->Table().isEmpty();
}
