#include "common/zered_lang.h"

#include "common/codepage.h"
#include "common/messages.h"
#include "common/zered_log.h"

#include <QDir>
#include <QFile>
#include <QLocale>

TZeredLang *ZeredLang = nullptr;

namespace {

constexpr char TableFolder[] = ":/locale";
constexpr char IntegerConversions[] = "diuoxXc";
// Widths and precisions beyond this are cut to it: a table line cannot ask for gigabytes.
constexpr int MaxFieldWidth = 9999;

// The resource whose name equals name in any letter case; empty when none does.
QString FindTableResource(const QString &name)
{
    const QDir folder{QString::fromLatin1(TableFolder)};
    for (const QString &entry : folder.entryList(QDir::Files))
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return folder.filePath(entry);
    return QString();
}

// One conversion as written in the format: flags, width, precision, length, letter.
struct Conversion
{
    QString flags;
    int width = -1;
    int precision = -1;
    QChar letter;
    qsizetype end = 0;   // index just past the conversion
};

// Parses the conversion that starts at format[start] == '%'; false when it
// is cut off or uses a feature (a "*" width) no argument list here can feed.
bool ParseConversion(const QString &format, qsizetype start, Conversion &c)
{
    qsizetype i = start + 1;
    const auto at = [&](qsizetype k) { return k < format.size() ? format.at(k) : QChar(); };
    while (QStringLiteral("-+ #0").contains(at(i)) && !at(i).isNull())
        c.flags += format.at(i++);
    const auto number = [&] {
        int n = 0;
        while (at(i).isDigit())
            n = qMin(n * 10 + at(i++).digitValue(), MaxFieldWidth);
        return n;
    };
    if (at(i).isDigit())
        c.width = number();
    if (at(i) == u'.') {
        ++i;
        c.precision = number();
    }
    while (QStringLiteral("hlLqjzt").contains(at(i)) && !at(i).isNull())
        ++i;
    if (at(i).isNull() || !at(i).isLetter())
        return false;
    c.letter = at(i);
    c.end = i + 1;
    return true;
}

QString FormatInteger(const Conversion &c, long long value)
{
    QString pattern = u'%' + c.flags;
    if (c.width >= 0)
        pattern += QString::number(c.width);
    if (c.precision >= 0 && c.letter != u'c')
        pattern += u'.' + QString::number(c.precision);
    if (c.letter == u'c')
        return QString(c.width > 1 ? c.width - 1 : 0, u' ') + QChar(char16_t(value));
    pattern += QLatin1String("ll") + c.letter;
    return QString::asprintf(pattern.toLatin1().constData(), value);
}

QString FormatText(const Conversion &c, const QString &value)
{
    QString text = c.precision >= 0 ? value.left(c.precision) : value;
    if (c.width > text.size()) {
        const QString pad(c.width - text.size(), u' ');
        text = c.flags.contains(u'-') ? text + pad : pad + text;
    }
    return text;
}

} // namespace

QString FormatWithArgs(const QString &format, std::initializer_list<FormatArg> args)
{
    QString result;
    auto next = args.begin();
    qsizetype i = 0;
    while (i < format.size()) {
        const qsizetype percent = format.indexOf(u'%', i);
        if (percent < 0) {
            result += QStringView(format).mid(i);
            break;
        }
        result += QStringView(format).mid(i, percent - i);
        if (format.mid(percent, 2) == QLatin1String("%%")) {
            result += u'%';
            i = percent + 2;
            continue;
        }
        Conversion c;
        if (!ParseConversion(format, percent, c)) {
            result += u'%';
            i = percent + 1;
            continue;
        }
        const QString written = format.mid(percent, c.end - percent);
        i = c.end;
        if (next == args.end()) {
            result += written;
        } else if (QLatin1String(IntegerConversions).contains(c.letter) && std::holds_alternative<long long>(*next)) {
            result += FormatInteger(c, std::get<long long>(*next++));
        } else if (c.letter == u's' && std::holds_alternative<QString>(*next)) {
            result += FormatText(c, std::get<QString>(*next++));
        } else {
            result += written;
        }
    }
    return result;
}

QString UserLanguageCode()
{
    const QLocale::Language language = QLocale().language();
    if (language == QLocale::C)
        return QStringLiteral("EN");
    return QLocale::languageToCode(language, QLocale::ISO639Part1).toUpper();
}

QStringList SplitTableLines(const QString &text)
{
    QString unified = text;
    unified.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    QStringList lines = unified.split(u'\n');
    // A break at the very end closes the last line; it opens none.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

TZeredLang::TZeredLang(const QString &baseName, const QString &selector)
{
    Q_INIT_RESOURCE(locale_tables);
    QString resourceName = baseName;
    if (selector == QLatin1String("??")) {
        m_languageCode = UserLanguageCode().left(255);
        resourceName += m_languageCode;
    }
    const QString path = FindTableResource(resourceName);
    if (path.isEmpty()) {
        zered::LogPrint(zered::clMagenta, Msg::LangLoadFailed,
                        qUtf8Printable(QString::fromUtf8(Msg::ResourceNotFound).arg(resourceName)));
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        zered::LogPrint(zered::clMagenta, Msg::LangLoadFailed,
                        qUtf8Printable(QString::fromUtf8(Msg::CannotOpenFile).arg(resourceName, file.errorString())));
        return;
    }
    // ASCII is a subset of CP932, so the English table decodes the same way.
    m_table = SplitTableLines(DecodeCp932(file.readAll()));
}

bool TZeredLang::Find(const QString &key, QString &value) const
{
    for (const QString &line : m_table) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        if (QStringView(line).left(equals).compare(key, Qt::CaseInsensitive) == 0) {
            value = line.mid(equals + 1);
            return true;
        }
    }
    return false;
}

QString TZeredLang::Lookup(const QString &key, const QString &defaultText) const
{
    QString value;
    return Find(key, value) ? value : defaultText;
}

QString TZeredLang::LookupFormat(const QString &key, std::initializer_list<FormatArg> args) const
{
    return FormatWithArgs(Lookup(key, key), args);
}

QString LocaleLookup(const QString &key, const QString &defaultText)
{
    return ZeredLang ? ZeredLang->Lookup(key, defaultText) : defaultText;
}

QString LocaleLookupFormat(const QString &key, std::initializer_list<FormatArg> args)
{
    return ZeredLang ? ZeredLang->LookupFormat(key, args) : FormatWithArgs(key, args);
}
