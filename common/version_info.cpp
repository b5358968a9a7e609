#include "common/version_info.h"

namespace {

struct VersionString
{
    const char *key;
    const char *value;
};

constexpr VersionString Strings[] = {
    {"FileVersion", OSTREL_VERSION},
    {"LegalCopyright", OSTREL_LEGAL_COPYRIGHT},
    {"Comments", OSTREL_COMMENTS},
};

} // namespace

void ReadVersionStrings(QStringList &keys)
{
    for (QString &key : keys)
        for (const VersionString &s : Strings)
            if (key == QLatin1String(s.key) && s.value[0] != '\0')
                key += u'=' + QString::fromUtf8(s.value);
}

QString VersionValue(const QString &entry)
{
    const qsizetype equals = entry.indexOf(u'=');
    return equals < 0 ? QString() : entry.mid(equals + 1);
}
