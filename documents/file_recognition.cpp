#include "documents/file_recognition.h"

#include "common/messages.h"
#include "common/zered_log.h"
#include "common/codepage.h"
#include "documents/sheet_csv.h"
#include "documents/sheet_xlsx.h"
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
    // Enough of the file to tell; a table is far shorter.
    constexpr qint64 sampleBytes = 1 << 20;
    QByteArray head = file.read(sampleBytes);
    if (head.startsWith("PK\x03\x04") && info.size() <= MaxWorkbookBytes) {
        if (IsXlsxWorkbook(head + file.readAll())) {
            zered::LogPrint(zered::clBlack, Msg::ReadAsWorkbook, qUtf8Printable(fileName));
            return FileKindXlsx;
        }
    }
    if (head.startsWith("\xEF\xBB\xBF")) {
        zered::LogPrint(zered::clBlack, Msg::ReadAsSheet, qUtf8Printable(fileName));
        return FileKindSheet;
    }
    // What a spreadsheet saves as CSV without a byte order mark; Shift-JIS text
    // is almost never valid UTF-8. A 0x00 byte ends the text a load reads.
    const qsizetype nul = head.indexOf('\0');
    const bool wholeText = nul >= 0 || head.size() < sampleBytes;
    if (nul >= 0)
        head.truncate(nul);
    if (!IsAsciiText(head) && IsValidUtf8(head, wholeText)) {
        zered::LogPrint(zered::clBlack, Msg::ReadAsUtf8Sheet, qUtf8Printable(fileName));
        return FileKindSheet;
    }
    return FileKindOwn;
}
