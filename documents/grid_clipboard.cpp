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

void PasteClipboard(TableDocument &document)
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return;
    const QString privateType = QString::fromLatin1(GridBlockMimeType);
    if (data->hasFormat(privateType)) {
        const GridBlock block = DeserializeGridBlock(data->data(privateType));
        if (!block.isEmpty()) {
            document.PasteBlock(block);
            return;
        }
    }
    document.PasteText(data->text());
}

bool ClipboardHoldsText()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}
