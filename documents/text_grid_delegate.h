#pragma once

#include <QStyledItemDelegate>

// The grid's cells: the style's background, selection and focus, then the text
// by DrawGridText in the model's foreground colour when it gives one (red for
// a text longer than its field), else the prepared text colour. Edits in a
// CellEditor.
class TextGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
