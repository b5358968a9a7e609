#pragma once

#include "documents/edit_history.h"
#include "documents/grid_commands.h"
#include "documents/string_grid.h"
#include "documents/table_image.h"

#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;

// What a table window holds besides its widgets: the grid with its selection
// and cursor, the table image, the remembered file kind and the undo history,
// with the table's conversions, loads, saves and editing commands.
// Loads and saves raise OstrelError and never touch a file name (the window
// does); a failed one changes nothing in the document.
//
// Every editing command is one step of the history, named by its EditStep;
// a command that changes no text leaves no step, and one that raises changes
// nothing. After each, the grid has its 513 rows again and, when a text
// changed, the image is stale.
class TableDocument
{
public:
    explicit TableDocument(const QByteArray &convStrHeader = "conv str",
                           const QByteArray &barCodeHeader = "bar code");

    StringGrid &grid() { return m_grid; }
    const StringGrid &grid() const { return m_grid; }
    // Exactly TableImageSize bytes, allocated once and rewritten in place.
    QByteArray &image() { return m_image; }
    const QByteArray &image() const { return m_image; }

    bool imageStale() const { return m_imageStale; }
    void setImageStale(bool stale) { m_imageStale = stale; }
    int fileKind() const { return m_fileKind; }

    void Update();        // grid -> image
    // The image as a send would write it (the grid encoded when it changed
    // since), leaving the document as it is.
    QByteArray CurrentImage() const;
    void ImageToGrid();   // image -> grid
    void ClearTable();    // empty image and cells, numbers 1..512, header kept

    // Commands
    void EditCell(int col, int row, const QByteArray &text);   // a typed text
    GridBlock CutSelection();                                   // returns the cells cut
    // At the cursor when one cell is selected (filling what the block covers),
    // else into the selection exactly; the filled area becomes the selection.
    void PasteBlock(const GridBlock &block);
    // Clipboard text, split by ParseClipboardText and stored as CP932. Raises,
    // changing nothing, when a field that reaches the grid holds a character
    // CP932 cannot hold or a line break, tab or NUL, naming it and its cell.
    void PasteText(const QString &text);
    int SelectedRowCount() const;
    void DeleteSelectedRows();   // raises "GridDeleteRow; row count too few" for all 512
    void InsertSelectedRows();
    // The rows (1..512) holding text that inserting the selected rows pushes past the end.
    QList<int> RowsLostByInsert() const;
    // Sorts by column; the same column as last time turns the direction round.
    // Logs "sorted col%d asc|desc".
    void SortByColumn(int column);
    int SortColumn() const { return m_sortColumn; }
    int SortDirection() const { return m_sortDirection; }
    void Clear();                          // ClearTable as a step
    void MoveRow(int from, int to);        // logs "row moved %d to %d"
    void ShowReceivedImage();              // ImageToGrid as a step

    // The cell's text as it would be stored: CP932 with the look-alikes mapped.
    // Raises, naming the character and the cell, when it cannot be stored.
    QByteArray CellBytes(int col, int row, const QString &text) const;

    // The undo history
    bool CanUndo() const { return m_history.canUndo(); }
    bool CanRedo() const { return m_history.canRedo(); }
    EditStep UndoStep() const { return m_history.undoStep().kind; }
    EditStep RedoStep() const { return m_history.redoStep().kind; }
    void Undo();
    void Redo();
    // The texts are those last saved (or loaded).
    bool AtSavedState() const { return m_history.atSaved(); }
    void MarkSaved();
    void ForgetSaved();
    // Told after every change of the history or of the saved state.
    void SetHistoryListener(std::function<void()> listener) { m_historyListener = std::move(listener); }

    // format 2 = binary, 4 = spreadsheet CSV, anything else text; remembered as
    // FileKind (-1 when negative). A text load that leaves text out logs one warning.
    void LoadFromFile(const QString &fileName, int format);
    // Saves in format if it is >= 0 (and remembers it), else in FileKind.
    void SaveToFile(const QString &fileName, int format);
    // The same save into an open device (standard output, say); fileName is
    // only what messages and the log line name.
    void SaveToDevice(QIODevice &device, const QString &fileName, int format);

private:
    // Runs change as one step of kind; see the class comment.
    void Change(EditStep kind, const std::function<void()> &change);
    GridPlace Place() const;
    void Restore(const QList<QByteArray> &cells, const GridPlace &place);
    void HistoryChanged();
    void keepImageSize();
    void loadText(const QString &fileName, bool sheet);
    void loadBinary(const QString &fileName);
    void save(const QString &fileName, int format,
              const std::function<void(const std::function<void(QIODevice &)> &)> &writeFile);

    StringGrid m_grid;
    QByteArray m_image;
    bool m_imageStale = false;
    int m_fileKind = 0;
    int m_sortColumn = -1;
    int m_sortDirection = 1;
    EditHistory m_history;
    std::function<void()> m_historyListener;
};
