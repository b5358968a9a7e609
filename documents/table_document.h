#pragma once

#include "documents/file_stamp.h"
#include "documents/grid_commands.h"
#include "documents/grid_replace.h"
#include "documents/string_grid.h"
#include "documents/table_history.h"
#include "documents/table_image.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

class QIODevice;

// One barcode table: the grid with its selection and cursor, the table image,
// the file it belongs to with its kind, and whether it holds unsaved changes
// (read from its history), with the table's conversions, loads, saves and
// editing commands. Each change is announced once it is made; the grid has
// 513 rows before and after every operation.
// Loads and saves raise OstrelError; a failed one changes nothing in the document.
//
// Every editing command is one step of the history, named by its EditStep;
// a command that changes no text leaves no step, and one that raises changes
// nothing. After each, when a text changed, the image is stale.
class TableDocument : public QObject
{
    Q_OBJECT
public:
    explicit TableDocument(const QByteArray &convStrHeader = "conv str", const QByteArray &barCodeHeader = "bar code",
                           QObject *parent = nullptr);

    const StringGrid &grid() const { return m_grid; }
    // Exactly TableImageSize bytes, allocated once and rewritten in place.
    QByteArray &image() { return m_image; }
    const QByteArray &image() const { return m_image; }

    bool imageStale() const { return m_imageStale; }
    void setImageStale(bool stale) { m_imageStale = stale; }
    int fileKind() const { return m_fileKind; }

    // The file last loaded or saved, or the name given; empty while untitled.
    const QString &fileName() const { return m_fileName; }
    void setFileName(const QString &name);
    // The texts are not those last saved or loaded; undoing back to them clears it.
    bool isModified() const;
    // True: no state of the history counts as saved any more, and the image
    // follows the grid; false: the table as it stands is the saved one.
    void setModified(bool modified);
    // Where the steps go, taken over by the document; without one none is kept.
    void setHistory(TableHistory *history);

    // Texts, selection and cursor set outside the history: a step that follows
    // starts from them.
    void setCell(int col, int row, const QByteArray &text);
    void setSelection(const GridRect &selection);
    void setCurrent(int col, int row);
    // Moves the cursor to a cell and selects it alone.
    void MoveCursor(int col, int row);
    void SelectAll();   // every non-fixed cell

    void Update();   // grid -> image
    // The image as a send would write it (the grid encoded when it changed
    // since), leaving the document as it is.
    QByteArray CurrentImage() const;
    void ImageToGrid();   // image -> grid
    void ClearTable();   // empty image and cells, numbers 1..512, header kept

    // Commands
    void EditCell(int col, int row, const QByteArray &text);   // a typed text
    GridBlock CutSelection();   // returns the cells cut
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
    // Logs "sorted col%d asc|desc". With RowNumbers::Stay (a click on a column
    // title) the row numbers keep their places: they number positions.
    enum class RowNumbers { Move, Stay };
    void SortByColumn(int column, RowNumbers numbers = RowNumbers::Move);
    // Fill down and fill series on the selection (see GridFillDown, GridFillSeries).
    void FillDown();
    void FillSeries();
    // The cells in the replacer's scope whose texts a replace changes, with
    // their texts after it; raises, naming the cell, when a new text holds a
    // character Shift-JIS cannot hold. cell alone when given.
    QList<CellReplacement> PlanReplace(const CellReplacer &replacer, std::optional<GridCell> cell = {}) const;
    // Writes the planned texts as one step.
    void ReplaceCells(const QList<CellReplacement> &replacements);
    int SortColumn() const { return m_sortColumn; }
    int SortDirection() const { return m_sortDirection; }
    void Clear();   // ClearTable as a step
    void MoveRow(int from, int to);   // logs "row moved %d to %d"
    void ShowReceivedImage();   // ImageToGrid as a step

    // Undo and redo: puts back the texts and the place of another state of the
    // history and returns the texts it replaced; the image follows the grid again.
    QList<QByteArray> ExchangeCells(const QList<QByteArray> &cells, const GridPlace &place);

    // The cell's text as it would be stored: CP932 with the look-alikes mapped.
    // Raises, naming the character and the cell, when it cannot be stored.
    QByteArray CellBytes(int col, int row, const QString &text) const;

    // format 2 = binary, 4 = spreadsheet CSV, 5 = Excel workbook, anything else text; remembered as
    // FileKind (-1 when negative). A text load that leaves text out logs one
    // warning. The document then belongs to the file and is unmodified.
    void LoadFromFile(const QString &fileName, int format);
    // Reads its file again in its kind, as one step of the history; the texts
    // read are then the saved ones.
    void Reload();
    // The file as the document last read or wrote it; none while it has no file.
    const FileStamp &fileStamp() const { return m_fileStamp; }
    // Another program has changed the document's file since (reads the file).
    bool FileChangedOnDisk() const;
    // Saves in format if it is >= 0 (and remembers it), else in FileKind; the
    // document then belongs to the file and is unmodified.
    void SaveToFile(const QString &fileName, int format);
    // The same save into an open device (standard output, say); fileName is
    // only what messages and the log line name.
    void SaveToDevice(QIODevice &device, const QString &fileName, int format);

Q_SIGNALS:
    // Texts in area changed (grid coordinates: the titles are row 0, the row
    // numbers column 0).
    void cellsChanged(const GridRect &area);
    // The selection or the cursor cell moved.
    void selectionChanged();
    void modifiedChanged(bool modified);
    void fileNameChanged(const QString &fileName);

private:
    // Runs change on the grid and announces what it changed; true when a text
    // did. One that raises leaves the texts, the selection and the cursor as
    // they were; either way the row count is put back.
    bool Apply(const std::function<void()> &change);
    // Apply as one step of kind; see the class comment.
    void Change(EditStep kind, const std::function<void()> &change);
    GridPlace Place() const;
    void keepImageSize();
    void decodeImage();
    void clearCells();   // the image and the texts
    void clearTexts();   // empty texts, numbers 1..512
    // Reads a file into the grid (and the image, for a binary one); the caller
    // runs it inside Apply or Change.
    void read(const QString &fileName, int format);
    void readText(const QString &fileName, bool sheet);
    void readBinary(const QString &fileName);
    void readWorkbook(const QString &fileName);
    // Returns the bytes it wrote.
    QByteArray save(const QString &fileName, int format,
                    const std::function<void(const std::function<void(QIODevice &)> &)> &writeFile);

    StringGrid m_grid;
    QByteArray m_image;
    bool m_imageStale = false;
    int m_fileKind = 0;
    QString m_fileName;
    FileStamp m_fileStamp;
    int m_sortColumn = -1;
    int m_sortDirection = 1;
    TableHistory *m_history = nullptr;   // a child of the document
};
