#pragma once

#include "documents/string_grid.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>
#include <QTableView>

class QLabel;
class TableDocument;
class TableGridModel;

// Draws a cell's or header's text as the table grid does: 2 pixels below the
// top, 2 pixels in from the left edge (from the right edge when rightAligned),
// clipped to the rectangle.
void DrawGridText(QPainter *painter, const QRect &rect, const QString &text, bool rightAligned);

// Whether a key pressed while the grid is browsing opens the in-place editor:
// the keys whose Windows virtual-key code lies in 32..126 (space, Insert,
// Delete, digits, letters, the numeric keypad, F1..F15) and any other key that
// types a printable character, never with Ctrl. The navigation keys in that
// range (arrows, Page Up/Down, Home, End) are left out: they move the cursor,
// which would end the edit at once.
bool KeyStartsEditing(int key, Qt::KeyboardModifiers modifiers, const QString &text);

// The in-place editor of a cell. It takes no line break, tab or NUL: of a
// pasted text holding one, only what comes before it goes in. Its right end
// shows the text's byte count against the field ("12 / 60 bytes"), red past it.
class CellEditor : public QLineEdit
{
    Q_OBJECT
public:
    CellEditor(int fieldLength, QWidget *parent = nullptr);
    QString byteCount() const;

Q_SIGNALS:
    // A pasted text lost what followed its first line.
    void restLeftOut();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showByteCount();

    int m_fieldLength;
    QLabel *m_count;
};

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

// A header drawing its texts by DrawGridText; row numbers are right-aligned.
class TextGridHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit TextGridHeader(Qt::Orientation orientation, QWidget *parent = nullptr);
    // A section drawn highlighted (a find hit in the header); -1 for none.
    void setMarkedSection(int section);
    int markedSection() const { return m_marked; }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    int m_marked = -1;
};

// The view's face of the grid's selection and cursor cell, which stay the
// truth: what the view selects is written into the grid, and what the grid
// holds is what the view shows.
class GridSelectionModel : public QItemSelectionModel, private GridObserver
{
    Q_OBJECT
public:
    GridSelectionModel(StringGrid &grid, TableGridModel *model);
    ~GridSelectionModel() override;

    void select(const QItemSelection &selection, QItemSelectionModel::SelectionFlags command) override;
    void setCurrentIndex(const QModelIndex &index, QItemSelectionModel::SelectionFlags command) override;
    using QItemSelectionModel::select;

private:
    void gridSelectionChanged() override { show(); }
    void gridReset() override { show(); }
    void show();

    StringGrid &m_grid;
};

// The table window's grid: a view of a TableDocument that handles its own
// keys, mouse, hints and in-place editor. The editor opens by the table's
// rules (a printable or editing key, Enter, a second click on the cursor
// cell); closing it stores the text through the document as one step, or
// refuses a text that cannot be stored and stays open.
class TextGridView : public QTableView
{
    Q_OBJECT
public:
    explicit TextGridView(TableDocument &document, QWidget *parent = nullptr);
    ~TextGridView() override;

    TableGridModel *gridModel() const { return m_model; }

    // Switches in-place editing of the cursor cell on or off. Off stores the
    // editor's text; a text that cannot be stored raises and the editor stays.
    // On raises "GetGridEditor(); no edit" when no editor can open.
    void SetEditing(bool on);
    bool Editing() const { return m_editing; }
    // The in-place editor is open on a cell.
    bool isEditing() const { return state() == QAbstractItemView::EditingState; }

    // The cell under a point in the view's coordinates (headers included); -1 outside the cells.
    GridCell CellAt(const QPoint &pos) const;
    // Where the mouse was last pressed, in the view's coordinates (Sort uses its column).
    QPoint LastMouseDown() const { return m_lastMouseDown; }
    // Moves the cursor to a cell and selects it alone.
    void MoveCursor(int col, int row);

    using QTableView::edit;

    // The text of the corner over the row numbers.
    void setCornerText(const QString &text);
    // Highlights a header cell of the grid (grid column 0 is the row numbers,
    // grid row 0 the titles, both 0 the corner) until the cursor moves; the
    // cursor cannot go there, so this is how a find hit there is shown.
    void markHeaderCell(int col, int row);

Q_SIGNALS:
    // The viewport or the headers changed size (columns may need to follow).
    void geometriesChanged();

protected:
    void updateGeometries() override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void commitData(QWidget *editor) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend QLineEdit &GetGridEditor(const TextGridView &view);
    // The editor's text into its cell through the document (raises when it cannot be stored).
    void StoreEditorText();
    void EditorKeyDown(QKeyEvent *event);
    // Presses on the cells and on the headers; true when the press is used up.
    bool TextGridMouseDown(QMouseEvent *event, const QPoint &pos);
    void TextGridMouseMove(const QPoint &pos);
    void TextGridClick();
    void setBrowsing();

    TableDocument &m_document;
    TableGridModel *m_model;
    QPersistentModelIndex m_editorIndex;
    bool m_editing = false;
    bool m_keepEditor = false;   // its text was refused: the close that follows is skipped
    QByteArray m_editStartText;
    GridCell m_lastSelectedCell;
    QPoint m_lastMouseDown;
    void clearMarks();
    QString m_cornerText;
    bool m_cornerMarked = false;
};

// The grid's open in-place editor; raises OstrelError "GetGridEditor(); no edit"
// when none is open.
QLineEdit &GetGridEditor(const TextGridView &view);
