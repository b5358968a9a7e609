#include "documents/text_grid_header.h"

#include "documents/grid_drawing.h"

#include <QPainter>
#include <algorithm>
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
        // Just after the title: the section's right end may lie under the transfer labels.
        const QString title = model()->headerData(logicalIndex, orientation()).toString();
        const int left = std::min(rect.left() + fontMetrics().horizontalAdvance(title) + 8, rect.right() - 14);
        arrow.rect = QRect(left, rect.top(), 12, rect.height());
        style()->drawPrimitive(QStyle::PE_IndicatorHeaderArrow, &arrow, painter, this);
    }
}
