#include "documents/text_grid_view.h"

#include "common/messages.h"
#include "common/zered_error.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
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

void TextGridHeader::setMarkedSection(int section)
{
    if (section == m_marked)
        return;
    m_marked = section;
    viewport()->update();
}

namespace {

// A header cell as the style draws it, or in the selection colours when marked;
// returns the pen for its text.
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

} // namespace

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

TextGridView::TextGridView(QWidget *parent) : QTableView(parent)
{
    setHorizontalHeader(new TextGridHeader(Qt::Horizontal, this));
    setVerticalHeader(new TextGridHeader(Qt::Vertical, this));
    setItemDelegate(new TextGridDelegate(this));
    // The corner button draws no text of its own.
    if (auto *corner = findChild<QAbstractButton *>())
        corner->installEventFilter(this);
}

void TextGridView::setCornerText(const QString &text)
{
    m_cornerText = text;
    if (auto *corner = findChild<QAbstractButton *>())
        corner->update();
}

void TextGridView::markHeaderCell(int col, int row)
{
    clearMarks();
    auto *titles = static_cast<TextGridHeader *>(horizontalHeader());
    auto *numbers = static_cast<TextGridHeader *>(verticalHeader());
    if (col == 0 && row == 0) {
        m_cornerMarked = true;
        if (auto *corner = findChild<QAbstractButton *>())
            corner->update();
    } else if (row == 0) {
        titles->setMarkedSection(col - 1);
    } else if (col == 0) {
        numbers->setMarkedSection(row - 1);
    }
}

void TextGridView::clearMarks()
{
    static_cast<TextGridHeader *>(horizontalHeader())->setMarkedSection(-1);
    static_cast<TextGridHeader *>(verticalHeader())->setMarkedSection(-1);
    if (m_cornerMarked) {
        m_cornerMarked = false;
        if (auto *corner = findChild<QAbstractButton *>())
            corner->update();
    }
}

void TextGridView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    clearMarks();
    QTableView::currentChanged(current, previous);
}

bool TextGridView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && watched == findChild<QAbstractButton *>()) {
        auto *corner = static_cast<QWidget *>(watched);
        QPainter painter(corner);
        QStyleOptionHeader opt;
        opt.initFrom(corner);
        opt.rect = corner->rect();
        opt.position = QStyleOptionHeader::OnlyOneSection;
        painter.setPen(DrawHeaderCell(&painter, opt, corner, m_cornerMarked));
        DrawGridText(&painter, opt.rect, m_cornerText, false);
        return true;
    }
    return QTableView::eventFilter(watched, event);
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
