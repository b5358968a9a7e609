#include "documents/grid_clipboard.h"

#include "common/codepage.h"
#include "documents/table_document.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

void PutBlockOnClipboard(const GridBlock &block)
{
    auto *data = new QMimeData;
    data->setText(DecodeCp932(GridBlockText(block)));
    data->setData(QString::fromLatin1(GridBlockMimeType), SerializeGridBlock(block));
    QGuiApplication::clipboard()->setMimeData(data);
}

void PasteClipboard(TableDocument &document, const std::function<bool(const PasteLeftOut &)> &pasteWithout)
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return;
    const auto fits = [&](const QList<QStringList> &rows) {
        const PasteLeftOut leftOut = FindPasteLeftOut(document.grid(), rows);
        return leftOut.texts == 0 || pasteWithout(leftOut);
    };
    const QString privateType = QString::fromLatin1(GridBlockMimeType);
    if (data->hasFormat(privateType)) {
        const GridBlock block = DeserializeGridBlock(data->data(privateType));
        if (!block.isEmpty()) {
            QList<QStringList> rows;
            for (const QList<QByteArray> &cells : block) {
                QStringList &row = rows.emplace_back();
                for (const QByteArray &cell : cells)
                    row.append(DecodeCp932(cell));
            }
            if (fits(rows))
                document.PasteBlock(block);
            return;
        }
    }
    const QString text = data->text();
    if (fits(ParseClipboardText(text)))
        document.PasteText(text);
}

bool ClipboardHoldsText()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}
