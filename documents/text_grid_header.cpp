#include "documents/text_grid_header.h"

#include "documents/grid_drawing.h"

#include <QPainter>
#include <QStyle>

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
    if (isSortIndicatorShown() && sortIndicatorSection() == logicalIndex) {
        QStyleOptionHeader arrow = opt;
        arrow.sortIndicator = sortIndicatorOrder() == Qt::AscendingOrder ? QStyleOptionHeader::SortDown
                                                                          : QStyleOptionHeader::SortUp;
        arrow.rect = QRect(rect.right() - 14, rect.top(), 12, rect.height());
        style()->drawPrimitive(QStyle::PE_IndicatorHeaderArrow, &arrow, painter, this);
    }
}
