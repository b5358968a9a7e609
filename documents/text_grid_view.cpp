#include "documents/text_grid_view.h"

#include "common/messages.h"
#include "common/zered_error.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>

void DrawGridText(QPainter *painter, const QRect &rect, const QString &text, bool rightAligned)
{
    painter->save();
    // Intersecting with no clip set would leave nothing to draw in.
    painter->setClipRect(rect, painter->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    const QRect inner = rect.adjusted(2, 2, -2, 0);
    painter->drawText(inner, Qt::TextSingleLine | Qt::AlignTop | (rightAligned ? Qt::AlignRight : Qt::AlignLeft),
                      text);
    painter->restore();
}

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

TextGridHeader::TextGridHeader(Qt::Orientation orientation, QWidget *parent) : QHeaderView(orientation, parent)
{
}

void TextGridHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    QStyleOptionHeader opt;
    initStyleOptionForIndex(&opt, logicalIndex);
    opt.rect = rect;
    opt.text.clear();
    // The style may leave an empty clip region set behind it when there was no clip.
    painter->save();
    style()->drawControl(QStyle::CE_Header, &opt, painter, this);
    painter->restore();
    painter->save();
    painter->setPen(opt.palette.color(QPalette::ButtonText));
    DrawGridText(painter, rect, model()->headerData(logicalIndex, orientation()).toString(),
                 orientation() == Qt::Vertical);
    painter->restore();
}

TextGridView::TextGridView(QWidget *parent) : QTableView(parent)
{
    setHorizontalHeader(new TextGridHeader(Qt::Horizontal, this));
    setVerticalHeader(new TextGridHeader(Qt::Vertical, this));
    setItemDelegate(new TextGridDelegate(this));
}

void TextGridView::commitAndCloseEditor()
{
    if (QWidget *editor = indexWidget(m_editorIndex)) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void TextGridView::updateGeometries()
{
    QTableView::updateGeometries();
    Q_EMIT geometriesChanged();
}

bool TextGridView::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    if (!QTableView::edit(index, trigger, event))
        return false;
    if (isEditing() && m_editorIndex != index) {
        m_editorIndex = index;
        Q_EMIT editorOpened(index);
    }
    return true;
}

void TextGridView::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    // Tab ends the edit where it is: the cursor moves only by keys and clicks
    // while browsing, so the next cell's editor never opens on its own.
    if (hint == QAbstractItemDelegate::EditNextItem || hint == QAbstractItemDelegate::EditPreviousItem)
        hint = QAbstractItemDelegate::NoHint;
    QTableView::closeEditor(editor, hint);
    m_editorIndex = QPersistentModelIndex();
    Q_EMIT editorClosed();
}

QLineEdit &GetGridEditor(const TextGridView &view)
{
    auto *editor = qobject_cast<QLineEdit *>(view.indexWidget(view.m_editorIndex));
    if (!editor || !view.isEditing())
        throw OstrelError(Msg::GetGridEditorNoEdit);
    return *editor;
}
