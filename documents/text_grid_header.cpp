#include "documents/text_grid_header.h"

#include "documents/grid_drawing.h"

#include <QPainter>

TextGridHeader::TextGridHeader(Qt::Orientation orientation, QWidget *parent) : QHeaderView(orientation, parent) {}

void TextGridHeader::setMarkedSection(int section)
{
    if (section == m_marked)
        return;
    m_marked = section;
    viewport()->update();
}

void TextGridHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    QStyleOptionHeader opt;
    initStyleOptionForIndex(&opt, logicalIndex);
    opt.rect = rect;
    const QColor pen = DrawHeaderCell(painter, opt, this, logicalIndex == m_marked);
    painter->save();
    painter->setPen(pen);
    DrawGridText(painter, rect, model()->headerData(logicalIndex, orientation()).toString(),
                 orientation() == Qt::Vertical);
    painter->restore();
}
