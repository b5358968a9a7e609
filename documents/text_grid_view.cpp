#include "documents/text_grid_view.h"

#include "common/messages.h"
#include "common/zered_error.h"
#include "common/zered_gui.h"
#include "common/zered_log.h"
#include "documents/cell_editor.h"
#include "documents/grid_drawing.h"
#include "documents/grid_hints.h"
#include "documents/grid_selection_model.h"
#include "documents/table_document.h"
#include "documents/table_grid_model.h"
#include "documents/text_grid_delegate.h"
#include "documents/text_grid_header.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStatusTipEvent>

namespace {

bool IsNavigationKey(int key)
{
    switch (key) {
    case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
    case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_Home: case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

bool IsEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

bool KeyStartsEditing(int key, Qt::KeyboardModifiers modifiers, const QString &text)
{
    if ((modifiers & Qt::ControlModifier) || IsNavigationKey(key))
        return false;
    switch (key) {
    case Qt::Key_Space: case Qt::Key_Insert: case Qt::Key_Delete:
        return true;
    default:
        break;
    }
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)
        || (key >= Qt::Key_F1 && key <= Qt::Key_F15) || (modifiers & Qt::KeypadModifier))
        return true;
    // Punctuation has codes above 126 on Windows; it types a character all the same.
    return !text.isEmpty() && text.at(0).isPrint();
}

TextGridView::TextGridView(TableDocument &document, QWidget *parent)
    : QTableView(parent), m_document(document)
{
    setHorizontalHeader(new TextGridHeader(Qt::Horizontal, this));
    setVerticalHeader(new TextGridHeader(Qt::Vertical, this));
    setItemDelegate(new TextGridDelegate(this));
    auto *model = new TableGridModel(document, this);
    setModel(model);
    QItemSelectionModel *initial = selectionModel();
    setSelectionModel(new GridSelectionModel(document, model));
    delete initial;
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);   // cut at the cell edge, as the grid draws
    // The editor opens only by the grid's own rules (keys, Enter, a second click).
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (QHeaderView *header : {horizontalHeader(), verticalHeader()}) {
        header->setHighlightSections(false);
        // Header cells are not selectable: a press there only moves the cursor.
        header->setSectionsClickable(false);
        header->viewport()->installEventFilter(this);
        header->viewport()->setMouseTracking(true);   // hints follow the pointer
    }
    viewport()->setMouseTracking(true);
    verticalHeader()->setSectionsMovable(true);   // rows move by dragging their numbers
    connect(verticalHeader(), &QHeaderView::sectionMoved, this, [this](int, int fromVisual, int toVisual) {
        // The grid's data moves, not just the header's picture of it.
        const QSignalBlocker block(verticalHeader());
        verticalHeader()->moveSection(toVisual, fromVisual);
        const int fr = m_document.grid().fixedRows();
        zered::Guarded([&] { m_document.MoveRow(fromVisual + fr, toVisual + fr); });
    });
    connect(this, &QAbstractItemView::clicked, this, [this] { zered::Guarded([this] { TextGridClick(); }); });
    // A header repaints changed sections where they would lie unscrolled, so
    // below the first screen the row numbers of an insert or delete would stay
    // as they were; they are repainted whole.
    connect(&document, &TableDocument::cellsChanged, this, [this](const GridRect &area) {
        if (area.left < m_document.grid().fixedCols())
            verticalHeader()->viewport()->update();
    });
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

void TextGridView::updateGeometries()
{
    QTableView::updateGeometries();
    Q_EMIT geometriesChanged();
}

void TextGridView::SetEditing(bool on)
{
    if (on == isEditing())
        return;
    if (on) {
        // A grid without a current cell opens no editor.
        edit(currentIndex());
        GetGridEditor(*this).selectAll();   // typing replaces the text
        return;
    }
    if (QWidget *editor = indexWidget(m_editorIndex)) {
        StoreEditorText();
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void TextGridView::StoreEditorText()
{
    model()->setData(m_editorIndex, GetGridEditor(*this).text(), Qt::EditRole);
}

bool TextGridView::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    if (!QTableView::edit(index, trigger, event))
        return false;
    if (isEditing() && m_editorIndex != index) {
        m_editorIndex = index;
        m_keepEditor = false;
        if (auto *editor = qobject_cast<CellEditor *>(indexWidget(index))) {
            editor->installEventFilter(this);   // Enter and Escape are the grid's
            connect(editor, &CellEditor::bytesChanged, this, &TextGridView::editorBytesChanged);
            connect(editor, &CellEditor::restLeftOut, this, [index] {
                zered::LogPrint(zered::clBlack, "%s",
                                qUtf8Printable(QString::fromUtf8(Msg::PastedRestLeftOut)
                                                   .arg(TableGridModel::GridRow(index))
                                                   .arg(index.model()->headerData(index.column(), Qt::Horizontal)
                                                            .toString())));
            });
        }
        setSelectionMode(QAbstractItemView::SingleSelection);
    }
    return true;
}

void TextGridView::commitData(QWidget *editor)
{
    // The view commits when the editor loses the focus or the cursor leaves it.
    if (editor != indexWidget(m_editorIndex))
        return;
    m_keepEditor = !zered::Guarded([this] { StoreEditorText(); });
}

void TextGridView::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (m_keepEditor) {
        m_keepEditor = false;   // its text was refused: it stays open with the text
        return;
    }
    // Tab ends the edit where it is: the cursor moves only by keys and clicks
    // while browsing, so the next cell's editor never opens on its own.
    if (hint == QAbstractItemDelegate::EditNextItem || hint == QAbstractItemDelegate::EditPreviousItem)
        hint = QAbstractItemDelegate::NoHint;
    QTableView::closeEditor(editor, hint);
    m_editorIndex = QPersistentModelIndex();
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    Q_EMIT editorClosed();
}

void TextGridView::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Escape)
        return;
    if (IsEnterKey(key)) {
        zered::Guarded([this] { SetEditing(!isEditing()); });
        return;
    }
    if (isEditing()) {
        // A navigation key the editor left to the grid moves the cursor: the
        // edit ends first. Others (a modifier alone, say) leave the edit be.
        if (IsNavigationKey(key) && zered::Guarded([this] { SetEditing(false); }))
            QTableView::keyPressEvent(event);
        return;
    }
    if (!KeyStartsEditing(key, event->modifiers(), event->text())) {
        QTableView::keyPressEvent(event);
        return;
    }
    zered::Guarded([&] {
        SetEditing(true);
        // A character replaces the selected text in the editor just opened.
        if (!event->text().isEmpty() && event->text().at(0).isPrint()) {
            QKeyEvent typed(event->type(), event->key(), event->modifiers(), event->text());
            QCoreApplication::sendEvent(&GetGridEditor(*this), &typed);
        }
    });
}

void TextGridView::EditorKeyDown(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)   // back to the text the cell holds
        GetGridEditor(*this).setText(model()->data(m_editorIndex, Qt::EditRole).toString());
    SetEditing(false);
}

void TextGridView::mousePressEvent(QMouseEvent *event)
{
    bool used = false;
    zered::Guarded([&] { used = TextGridMouseDown(event, viewport()->mapTo(this, event->position().toPoint())); });
    if (!used)
        QTableView::mousePressEvent(event);
}

void TextGridView::mouseDoubleClickEvent(QMouseEvent *event)
{
    mousePressEvent(event);
}

void TextGridView::mouseMoveEvent(QMouseEvent *event)
{
    TextGridMouseMove(viewport()->mapTo(this, event->position().toPoint()));
    QTableView::mouseMoveEvent(event);
}

bool TextGridView::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::Paint && watched == findChild<QAbstractButton *>()) {
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
    if (type == QEvent::KeyPress && watched == indexWidget(m_editorIndex)) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Escape && !IsEnterKey(key->key()))
            return false;
        zered::Guarded([&] { EditorKeyDown(key); });
        return true;   // a refused text keeps the editor, and the key must not reach the grid
    }
    auto *w = qobject_cast<QWidget *>(watched);
    const bool onHeader = w == horizontalHeader()->viewport() || w == verticalHeader()->viewport();
    if (w == horizontalHeader()->viewport() && (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease)) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton)
            TitleMouse(type == QEvent::MouseButtonPress, mouse->position().toPoint());
    }
    if (onHeader && (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        bool used = false;
        zered::Guarded([&] { used = TextGridMouseDown(mouse, w->mapTo(this, mouse->position().toPoint())); });
        return used;
    }
    if (onHeader && type == QEvent::MouseMove)
        TextGridMouseMove(w->mapTo(this, static_cast<QMouseEvent *>(event)->position().toPoint()));
    return QTableView::eventFilter(watched, event);
}

GridCell TextGridView::CellAt(const QPoint &pos) const
{
    const QWidget *cells = viewport();
    const QHeaderView *titles = horizontalHeader(), *numbers = verticalHeader();
    auto inside = [&pos](const QWidget *w) { return w->isVisible() && w->geometry().contains(pos); };
    if (cells->geometry().contains(pos)) {
        const QModelIndex index = indexAt(pos - cells->geometry().topLeft());
        if (!index.isValid())
            return {-1, -1};
        return {TableGridModel::GridColumn(index), TableGridModel::GridRow(index)};
    }
    if (inside(titles)) {
        const int section = titles->logicalIndexAt(pos.x() - titles->geometry().left());
        return section < 0 ? GridCell{-1, -1} : GridCell{section + 1, 0};
    }
    if (inside(numbers)) {
        const int section = numbers->logicalIndexAt(pos.y() - numbers->geometry().top());
        return section < 0 ? GridCell{-1, -1} : GridCell{0, section + 1};
    }
    if (pos.x() >= 0 && pos.y() >= 0 && pos.x() < cells->geometry().left() && pos.y() < cells->geometry().top())
        return {0, 0};   // the corner over the row numbers
    return {-1, -1};
}

bool TextGridView::TextGridMouseDown(QMouseEvent *event, const QPoint &pos)
{
    m_lastMouseDown = pos;
    const StringGrid &grid = m_document.grid();
    if (event->button() == Qt::LeftButton)
        m_lastSelectedCell = {grid.col(), grid.row()};
    const GridCell cell = CellAt(pos);
    // A press elsewhere ends the edit first; a refused text keeps the editor and the cursor.
    if (isEditing() && !(cell.col == TableGridModel::GridColumn(m_editorIndex)
                       && cell.row == TableGridModel::GridRow(m_editorIndex)))
        SetEditing(false);
    if (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))
        return false;   // the view extends the selection
    if (cell.col < 0 || cell.row < 0)
        return false;
    const bool onHeader = cell.col < grid.fixedCols() || cell.row < grid.fixedRows();
    if (onHeader) {
        // The cursor follows into the column or row; the header keeps its own
        // use of the press (resizing columns, dragging rows).
        m_document.MoveCursor(cell.col < grid.fixedCols() ? grid.col() : cell.col,
                              cell.row < grid.fixedRows() ? grid.row() : cell.row);
        return false;
    }
    if (event->button() == Qt::LeftButton)
        return false;   // the view moves the cursor and starts a block
    const GridRect sel = grid.selection();
    if (cell.col < sel.left || cell.col > sel.right || cell.row < sel.top || cell.row > sel.bottom)
        m_document.MoveCursor(cell.col, cell.row);
    return true;   // a right-click inside the block keeps it for the popup menu
}

void TextGridView::TextGridMouseMove(const QPoint &pos)
{
    const GridCell cell = CellAt(pos);
    const QString hint = TextGridHint(cell.col, cell.row);
    if (hint == statusTip())
        return;
    setStatusTip(hint);
    QStatusTipEvent tip(hint);
    QCoreApplication::sendEvent(this, &tip);
}

void TextGridView::TitleMouse(bool press, const QPoint &pos)
{
    const QHeaderView *titles = horizontalHeader();
    const int section = titles->logicalIndexAt(pos.x());
    if (press) {
        // A press near a border resizes the column; it is no click on the title.
        const int grip = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, titles) + 1;
        const bool onBorder = titles->logicalIndexAt(pos.x() - grip) != section
                              || titles->logicalIndexAt(pos.x() + grip) != section;
        m_titlePress.reset();
        if (section >= 0 && !onBorder)
            m_titlePress = std::make_pair(pos, titles->sectionSize(section));
        return;
    }
    const auto pressed = std::exchange(m_titlePress, std::nullopt);
    if (!pressed || section < 0 || titles->logicalIndexAt(pressed->first.x()) != section)
        return;
    if ((pos - pressed->first).manhattanLength() >= QApplication::startDragDistance()
        || titles->sectionSize(section) != pressed->second)
        return;
    Q_EMIT titleClicked(section + m_document.grid().fixedCols());
}

void TextGridView::TextGridClick()
{
    const StringGrid &grid = m_document.grid();
    if (GridCell{grid.col(), grid.row()} == m_lastSelectedCell)
        SetEditing(true);
}

QLineEdit &GetGridEditor(const TextGridView &view)
{
    auto *editor = qobject_cast<QLineEdit *>(view.indexWidget(view.m_editorIndex));
    if (!editor || !view.isEditing())
        throw OstrelError(Msg::GetGridEditorNoEdit);
    return *editor;
}
