#pragma once

#include "documents/child_form.h"
#include "documents/grid_find.h"
#include "documents/table_document.h"
#include "documents/table_transfer.h"

#include <QHash>
#include <QPoint>

class QAction;
class QKeyEvent;
class QLabel;
class QMenu;
class QMouseEvent;
class TextGridView;
class TableGridModel;

// Whether a key pressed while the grid is browsing opens the in-place editor:
// the keys whose Windows virtual-key code lies in 32..126 (space, Insert,
// Delete, digits, letters, the numeric keypad, F1..F15) and any other key that
// types a printable character, never with Ctrl. The navigation keys in that
// range (arrows, Page Up/Down, Home, End) are left out: they move the cursor,
// which would end the edit at once.
bool KeyStartsEditing(int key, Qt::KeyboardModifiers modifiers, const QString &text);

// The barcode table window: the grid the operator edits and, beside it, the
// 64 KiB table image exchanged with binary files and the controller.
class TTextList2Form : public TChildForm
{
    Q_OBJECT
public:
    explicit TTextList2Form(const DocumentServices &services = {}, QWidget *parent = nullptr);
    ~TTextList2Form() override;

    // Grid to image (it does not repaint anything).
    void Update();
    // Image to grid.
    void ImageToGrid();

    // The whole table to and from the controller through the main window's port.
    // Writes the table; the safeguards read and save the controller's table
    // first and read it back after.
    void SendTable(const SendSafety &safety = {});
    void ReceiveTable();
    // One search step from the cursor cell; selects the match or raises
    // "NOT FOUND[...]" and leaves the cursor where it was.
    void FindInGrid(const QString &text, const FindOptions &options);
    const QString &SearchText() const { return m_searchText; }

    // The popup's "&Receive from KOV" (no question) and "Send to KOV ..." (asks first).
    void Recv1Execute();
    void Send1Execute();
    // Reads the controller's table and lists where it differs from this one.
    void Compare1Execute();

    bool IsModified() const override;
    void SetModified(bool value) override;
    void ClearTable() override;
    void LoadFromFile(const QString &name, int format) override;
    void SaveToFile(const QString &name, int format) override;

    // Switches in-place editing of the cursor cell on or off; off hands the
    // editor's text to the cell.
    void SetEditing(bool on);
    bool Editing() const { return m_editing; }
    // The grid cell at a point in TextGrid's coordinates (headers included).
    // The cell under a point of the grid, column then row; -1 outside the cells.
    GridCell CellAt(const QPoint &pos) const;

    // The window's commands; errors are raised (the actions run them guarded).
    void GridCut1Execute();
    void GridCopy1Execute();
    void GridPaste1Execute();
    void GridDelete1Execute();
    void GridInsert1Execute();
    void GridSort1Execute();
    void SelectAll1Execute();
    void Clear1Execute();

    // The command of that name in the window's command table; a name not in it asserts.
    QAction *action(const char *name) const
    {
        QAction *found = m_actions.value(QLatin1String(name));
        Q_ASSERT_X(found, "TTextList2Form::action", name);
        return found;
    }
    QMenu *popupMenu() const { return PopupMenu1; }
    int SortColumn() const { return m_sortColumn; }
    int SortDirection() const { return m_sortDirection; }

    TableDocument &document() { return m_document; }
    TextGridView *grid() const { return TextGrid; }
    QLabel *recvLabel() const { return RecvLabel; }
    QLabel *sendLabel() const { return SendLabel; }

    static constexpr int NumberColumnWidth = 24;
    static constexpr int ConvStrColumnWidth = 216;
    static constexpr int DefaultRowHeight = 17;

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void createActions();
    TransferHost &transferHost() const;
    void FormResize();
    void TextGridRowMoved(int fromRow, int toRow);
    bool TextGridKeyDown(QKeyEvent *event);
    bool EditorKeyDown(QKeyEvent *event);
    bool TextGridMouseDown(QMouseEvent *event, const QPoint &pos);
    void TextGridMouseMove(const QPoint &pos);
    void TextGridClick();
    void TextGridSelectCell(const QModelIndex &current, const QModelIndex &previous);
    void TextGridEditorOpened(const QModelIndex &index);
    void TextGridEditorClosed();
    // Asks question (with the selected row count) and, on OK, runs change over
    // the selected rows; the row count goes back to 513.
    void ChangeSelectedRows(const char *question, void (*change)(StringGrid &, int first, int count));
    void GridPaste1Update();
    void GridSort1Update();
    // The view's selection and cursor into the StringGrid, and back.
    void TakeViewSelection();
    void ShowGridSelection();
    void MoveCursor(int col, int row);

    TableDocument m_document;
    QString m_searchText;
    TextGridView *TextGrid = nullptr;
    TableGridModel *m_model = nullptr;
    QWidget *Panel1 = nullptr;
    QLabel *RecvLabel = nullptr;
    QLabel *SendLabel = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QHash<QString, QAction *> m_actions;

    int m_sortColumn = -1;
    int m_sortDirection = 1;
    bool m_editing = false;
    QByteArray m_editStartText;
    GridCell m_lastSelectedCell;
    QPoint m_lastMouseDown;
    bool m_showingSelection = false;   // the view follows the grid; do not copy it back
};
