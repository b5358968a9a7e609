#include "documents/grid_drawing.h"

#include <QPainter>
#include <QStyleOptionHeader>
#include <QWidget>

void DrawGridText(QPainter *painter, const QRect &rect, const QString &text, bool rightAligned)
{
    painter->save();
    // Intersecting with no clip set would leave nothing to draw in.
    painter->setClipRect(rect, painter->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    const QRect inner = rect.adjusted(2, 2, -2, 0);
    painter->drawText(inner, Qt::TextSingleLine | Qt::AlignTop | (rightAligned ? Qt::AlignRight : Qt::AlignLeft), text);
    painter->restore();
}

QColor DrawHeaderCell(QPainter *painter, QStyleOptionHeader &opt, const QWidget *widget, bool marked)
{
    opt.text.clear();
    // The style may leave an empty clip region set behind it when there was no clip.
    painter->save();
    widget->style()->drawControl(QStyle::CE_Header, &opt, painter, widget);
    painter->restore();
    if (!marked)
        return opt.palette.color(QPalette::ButtonText);
    painter->fillRect(opt.rect.adjusted(1, 1, -1, -1), opt.palette.brush(QPalette::Highlight));
    return opt.palette.color(QPalette::HighlightedText);
}
