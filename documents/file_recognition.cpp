#include "documents/file_recognition.h"

#include "common/messages.h"
#include "common/zered_log.h"
#include "documents/table_image.h"

#include <QFile>
#include <QFileInfo>

int RecogniseLoadKind(const QString &fileName)
{
    const QFileInfo info(fileName);
    QFile file(fileName);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return FileKindOwn;
    if (info.size() == TableImageSize) {
        const QString suffix = info.suffix().toLower();
        if (suffix == u"bin" || suffix == u"dat" || file.read(TableImageSize).contains('\0')) {
            zered::LogPrint(zered::clBlack, Msg::ReadAsImage, qUtf8Printable(fileName));
            return FileKindBinary;
        }
        file.seek(0);
    }
    if (file.read(3) == "\xEF\xBB\xBF") {
        zered::LogPrint(zered::clBlack, Msg::ReadAsSheet, qUtf8Printable(fileName));
        return FileKindSheet;
    }
    return FileKindOwn;
}
