#pragma once

#include "documents/child_form.h"
#include "documents/grid_find.h"
#include "documents/grid_replace.h"
#include "documents/table_actions.h"
#include "documents/table_transfer.h"
#include "documents/text_grid_view.h"
#include "documents/transfer_run.h"

#include <functional>

class CheckListDialog;
class QAction;
class QLabel;
class QMenu;
class QUndoStack;
class TableUndoStack;

// The barcode table window: its TableDocument (the grid the operator edits,
// the 64 KiB table image exchanged with binary files and the controller) with
// the document's undo history, shown in a TextGridView, with the window's
// commands wired to the document.
class TTextList2Form : public TChildForm
{
    Q_OBJECT
public:
    explicit TTextList2Form(const DocumentServices &services = {}, QWidget *parent = nullptr);
    ~TTextList2Form() override;

    // The whole table to and from the controller through the main window's
    // port, in a worker: these return once the transfer began, and the table
    // stays read-only until it ends. Writes the table as it is now; the
    // safeguards read and save the controller's table first and read it back
    // after. A failed receive runs failed before its error is reported.
    void SendTable(const SendSafety &safety = {});
    void ReceiveTable(const std::function<void()> &failed = {});
    // A transfer of this table runs.
    bool Transferring() const;
    // Read-only while a transfer writes or reads this table.
    void setTransferring(bool on);
    // The table as a send writes it now: editing ended, the image rebuilt.
    QByteArray ImageToSend();
    // What the check finds a send would cut or lose, logged; empty when nothing.
    QString LoggedLossWarning();
    // One search step from the cursor cell; selects the match or raises
    // "NOT FOUND[...]" and leaves the cursor where it was.
    void FindInGrid(const QString &text, const FindOptions &options);
    const QString &SearchText() const { return m_searchText; }

    // The popup's "&Receive from KOV" (no question) and "Send to KOV ..." (asks first).
    void Recv1Execute();
    void Send1Execute();
    // Reads the controller's table and lists where it differs from this one.
    void Compare1Execute();
    // Check Table: logs the findings and lists them; choosing one goes to its cell.
    void CheckTable1Execute();

    // The document is modified, or a cell's editor is open.
    bool IsModified() const override;
    // Ends in-place editing first (a text the cell cannot take stops it); a save
    // over the window's own file that another program has changed asks first,
    // and so does a binary save that would cut or lose text.
    void SaveToFile(const QString &name, int format) override;
    // File > Reload: reads the window's file again as one step of its history,
    // asking first when that replaces unsaved changes.
    void Reload1Execute();
    // When the window's file was changed on disk: reads it again, unasked when
    // the window holds no unsaved changes (with a log line), else after asking.
    // Asks once per change that was kept out.
    void OfferReloadIfChanged();
    void LoadFromFile(const QString &name, int format) { document().LoadFromFile(name, format); }

    void SetEditing(bool on) { TextGrid->SetEditing(on); }
    bool Editing() const { return TextGrid->isEditing(); }
    GridCell CellAt(const QPoint &pos) const { return TextGrid->CellAt(pos); }
    // Where a grid cell (headers included) is drawn, in the window's coordinates.
    QRect CellRect(GridCell cell) const;

    // The window's commands; errors are raised (the actions run them guarded).
    void GridCut1Execute();
    void GridCopy1Execute();
    void GridPaste1Execute();
    void GridDelete1Execute();
    void GridInsert1Execute();
    void GridSort1Execute();
    void SelectAll1Execute();
    void Clear1Execute();
    void Undo1Execute();
    void Redo1Execute();
    void FillDown1Execute();
    void FillSeries1Execute();
    // Asks for a row number or "last" and moves the cursor there.
    void GoToRow1Execute();
    // A click on a column's title: sorts by it (again: the other way round)
    // with the row numbers in place, and shows the order by an arrow.
    void SortByTitle(int column);

    // The replace dialog's steps. FindNext selects the next matching cell in
    // scope after the cursor; ReplaceOne first replaces in the cursor cell
    // when it matches; ReplaceAll replaces everywhere in scope as one step and
    // logs how many cells changed. A replace that makes texts longer than
    // their fields lists them and asks first. Raises when nothing matches.
    // The selection scope is the block selected when it last was more than one cell.
    enum class ReplaceStep { FindNext, ReplaceOne, ReplaceAll };
    void ReplaceInGrid(ReplaceStep step, const QString &find, const QString &replacement, ReplaceOptions options);

    QAction *action(TableAction id) const { return m_actions[id]; }
    QMenu *popupMenu() const { return PopupMenu1; }
    // The document's history, as the main window's undo group follows it.
    QUndoStack *undoStack() const;

    TextGridView *grid() const { return TextGrid; }
    QLabel *recvLabel() const { return RecvLabel; }
    QLabel *sendLabel() const { return SendLabel; }

    static constexpr int NumberColumnWidth = 24;
    static constexpr int DefaultRowHeight = 17;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    // Checks the table: the warning naming the text it would cut or lose (the
    // findings go to the log), or empty when nothing would be.
    // Asks question after that warning when there is one; true to go on.
    bool confirmIfLossy(const char *question);
    void createActions();
    // The Undo and Redo captions follow the history: "Undo Paste", "Redo Sort".
    void followHistory();
    // Runs operation through the hosting window, the table locked until ended runs.
    void RunTransfer(TransferRun::Operation operation, TransferLauncher::Done ended);
    void FormResize();
    // Ends in-place editing before a command; a text that cannot be stored stops it.
    void EndEditing();
    void GridPaste1Update();
    // Moves the cursor to a cell and scrolls it into sight.
    void ShowCell(GridCell cell);
    // The cursor cell's byte count in the hint pane.
    void ShowByteCount();
    void ShowHint(const QString &hint);
    // Asks when a planned replace makes texts longer than their fields; true to go on.
    bool confirmOverlong(const QList<CellReplacement> &plan);
    void GridSort1Update();

    TableActions m_actions;
    TableUndoStack *m_history = nullptr;   // the document owns it
    FileStamp m_reloadDeclined;   // the file as it was when a reload was refused
    bool m_offeringReload = false;   // its question is open
    QString m_searchText;
    std::optional<GridRect> m_replaceArea;
    bool m_sortingByTitle = false;
    TextGridView *TextGrid = nullptr;
    QWidget *Panel1 = nullptr;
    QLabel *RecvLabel = nullptr;
    QLabel *SendLabel = nullptr;
    QMenu *PopupMenu1 = nullptr;
    CheckListDialog *m_checkList = nullptr;   // made on the first Check Table
};
