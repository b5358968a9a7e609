#pragma once

#include "documents/string_grid.h"

#include <QPersistentModelIndex>
#include <QTableView>
#include <optional>
#include <utility>

class QLineEdit;
class TableDocument;
class TableGridModel;

// Whether a key pressed while the grid is browsing opens the in-place editor:
// the keys whose Windows virtual-key code lies in 32..126 (space, Insert,
// Delete, digits, letters, the numeric keypad, F1..F15) and any other key that
// types a printable character, never with Ctrl. The navigation keys in that
// range (arrows, Page Up/Down, Home, End) are left out: they move the cursor,
// which would end the edit at once.
bool KeyStartsEditing(int key, Qt::KeyboardModifiers modifiers, const QString &text);

// The table window's grid: a view of a TableDocument that handles its own
// keys, mouse, hints and in-place editor. The editor opens by the table's
// rules (a printable or editing key, Enter, a second click on the cursor
// cell); closing it stores the text through the model as one step, or
// refuses a text that cannot be stored and stays open.
class TextGridView : public QTableView
{
    Q_OBJECT
public:
    explicit TextGridView(TableDocument &document, QWidget *parent = nullptr);

    // Switches in-place editing of the cursor cell on or off. Off stores the
    // editor's text; a text that cannot be stored raises and the editor stays.
    // On raises "GetGridEditor(); no edit" when no editor can open.
    void SetEditing(bool on);
    // The in-place editor is open on a cell.
    bool isEditing() const { return state() == QAbstractItemView::EditingState; }

    // The cell under a point in the view's coordinates (headers included); -1 outside the cells.
    GridCell CellAt(const QPoint &pos) const;
    // Where the mouse was last pressed, in the view's coordinates (Sort uses its column).
    QPoint LastMouseDown() const { return m_lastMouseDown; }

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
    // A column's title was clicked (pressed and let go in place, not on its border).
    void titleClicked(int gridColumn);
    // The open editor's text now takes this many bytes of its cell's field.
    void editorBytesChanged(qsizetype bytes);
    // The in-place editor closed, its text stored or dropped.
    void editorClosed();

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
    // The editor's text into its cell through the model (raises when it cannot be stored).
    void StoreEditorText();
    void EditorKeyDown(QKeyEvent *event);
    // Presses on the cells and on the headers; true when the press is used up.
    bool TextGridMouseDown(QMouseEvent *event, const QPoint &pos);
    void TextGridMouseMove(const QPoint &pos);
    void TextGridClick();
    // Presses and releases of the left button on the titles; a click emits titleClicked.
    void TitleMouse(bool press, const QPoint &pos);
    void clearMarks();

    TableDocument &m_document;
    QPersistentModelIndex m_editorIndex;
    bool m_keepEditor = false;   // its text was refused: the close that follows is skipped
    GridCell m_lastSelectedCell;
    QPoint m_lastMouseDown;
    QString m_cornerText;
    bool m_cornerMarked = false;
    // Where a press on a title began, and its column's width then; none while not pressed.
    std::optional<std::pair<QPoint, int>> m_titlePress;
};

// The grid's open in-place editor; raises OstrelError "GetGridEditor(); no edit"
// when none is open.
QLineEdit &GetGridEditor(const TextGridView &view);
