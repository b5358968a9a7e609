#include "common/captions.h"

QString StripAccelSuffix(const QString &caption)
{
    const qsizetype open = caption.indexOf(QLatin1String("(&"));
    if (open < 0 || open + 3 >= caption.size() || caption[open + 3] != u')')
        return caption;
    return caption.left(open) + caption.mid(open + 4);
}

QString CaptionAsName(const QString &caption)
{
    QString name = StripAccelSuffix(caption);
    name.remove(u'&');
    while (name.endsWith(u'.') || name.endsWith(u' '))
        name.chop(1);
    return name;
}

QString PathToCaption(const QString &path)
{
    QString caption = path;
    return caption.replace(u'&', QLatin1String("&&"));
}

QString CaptionToPath(const QString &caption)
{
    QString text = caption;
    // An access-key marker, its character and the tab after it. A leading
    // "&&" is a doubled ampersand of the path itself, not a marker.
    if (text.startsWith(u'&') && !text.startsWith(QLatin1String("&&")))
        text.remove(0, 3);
    if (text.startsWith(u'\t')) {
        qsizetype first = 0;
        qsizetype last = text.size();
        while (first < last && text[first].unicode() <= 32)
            ++first;
        while (last > first && text[last - 1].unicode() <= 32)
            --last;
        text = text.mid(first, last - first);
    }
    return text.replace(QLatin1String("&&"), QLatin1String("&"));
}
