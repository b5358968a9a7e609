#include "common/captions.h"

QString StripAccelSuffix(const QString &caption)
{
    const qsizetype open = caption.indexOf(QLatin1String("(&"));
    if (open < 0 || open + 3 >= caption.size() || caption[open + 3] != u')')
        return caption;
    return caption.left(open) + caption.mid(open + 4);
}
