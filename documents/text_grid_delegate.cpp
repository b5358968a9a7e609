#include "documents/text_grid_delegate.h"

#include "documents/cell_editor.h"
#include "documents/grid_drawing.h"
#include "documents/table_grid_model.h"
#include "documents/table_image.h"

#include <QApplication>
#include <QPainter>

void TextGridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const bool selected = opt.state & QStyle::State_Selected;
    QColor colour = opt.palette.color(QPalette::Normal, selected ? QPalette::HighlightedText : QPalette::Text);
    const QVariant foreground = index.data(Qt::ForegroundRole);
    if (foreground.canConvert<QBrush>())
        colour = foreground.value<QBrush>().color();
    painter->save();
    painter->setPen(colour);
    painter->setFont(opt.font);
    DrawGridText(painter, opt.rect, text, false);
    painter->restore();
}

QWidget *TextGridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    return new CellEditor(ColumnFieldLength(TableGridModel::GridColumn(index)), parent);
}
