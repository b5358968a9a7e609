#pragma once

#include <QString>
#include <QStringList>
#include <initializer_list>
#include <variant>

// One argument of a printf-style format taken from a table: an integer for the
// integer conversions, a text for %s.
using FormatArg = std::variant<long long, QString>;

// printf-style formatting of a format that comes from data, never from code:
// a conversion is formatted only when the next unused argument is of its kind
// (an integer for d i u o x X c, a text for s); any other conversion, and every
// one past the last argument, stays in the result as written. "%%" is "%".
QString FormatWithArgs(const QString &format, std::initializer_list<FormatArg> args);

// The locale table: key=value lines chosen by the user's language and built
// into the program. It is loaded once and only read afterwards.
class TZeredLang
{
public:
    // selector "??" appends the user's language code ("JA") to baseName; any
    // other selector loads baseName alone. A table that cannot be loaded logs
    // one magenta line and leaves the table empty.
    TZeredLang(const QString &baseName, const QString &selector);

    // The value of the first line named key (in any letter case), or
    // defaultText when there is none; an empty value is a value.
    QString Lookup(const QString &key, const QString &defaultText) const;
    // The value of key, or key itself, formatted with the arguments.
    QString LookupFormat(const QString &key, std::initializer_list<FormatArg> args = {}) const;
    // True and the value in value when a line is named key.
    bool Find(const QString &key, QString &value) const;

    const QStringList &Table() const { return m_table; }
    const QString &LanguageCode() const { return m_languageCode; }

private:
    QStringList m_table;
    QString m_languageCode;
};

// The upper-case ISO 639 two-letter code of the default locale's language
// (the system's, unless QLocale::setDefault chose another); the untranslated
// C locale counts as English. Empty for a language without a two-letter code.
QString UserLanguageCode();

// The lines of a table text: CR LF, a lone CR or a lone LF end a line.
QStringList SplitTableLines(const QString &text);

// The process-wide table, present while the main window lives.
extern TZeredLang *ZeredLang;

// The process-wide table's lookups; without a table they give the defaults.
QString LocaleLookup(const QString &key, const QString &defaultText);
QString LocaleLookupFormat(const QString &key, std::initializer_list<FormatArg> args = {});
