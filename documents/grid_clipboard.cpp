#include "documents/grid_clipboard.h"

#include "common/codepage.h"
#include "documents/grid_commands.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

void GridCopyToClipboard(const StringGrid &grid)
{
    QGuiApplication::clipboard()->setText(DecodeCp932(GridSelectionText(grid)));
}

void GridCutToClipboard(StringGrid &grid)
{
    QGuiApplication::clipboard()->setText(DecodeCp932(GridCutSelection(grid)));
}

QByteArray ClipboardBytes()
{
    return EncodeCp932(QGuiApplication::clipboard()->text());
}

bool ClipboardHoldsText()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}
