#pragma once

#include "documents/child_form.h"
#include "documents/grid_find.h"
#include "documents/table_document.h"
#include "documents/table_transfer.h"
#include "documents/text_grid_view.h"

#include <QHash>

class CheckListDialog;
class QAction;
class QLabel;
class QMenu;
class TransferHost;

// The barcode table window: a TableDocument (the grid the operator edits, the
// 64 KiB table image exchanged with binary files and the controller, and the
// undo history) shown in a TextGridView, with the window's commands wired to
// the document.
class TTextList2Form : public TChildForm, private GridObserver
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
    // Check Table: logs the findings and lists them; choosing one goes to its cell.
    void CheckTable1Execute();

    // Modified is "the table is not in the state last saved": undoing back to
    // it clears the mark again.
    bool IsModified() const override;
    void SetModified(bool value) override;
    void ClearTable() override;
    void LoadFromFile(const QString &name, int format) override;
    void SaveToFile(const QString &name, int format) override;

    void SetEditing(bool on) { TextGrid->SetEditing(on); }
    bool Editing() const { return TextGrid->Editing(); }
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

    // "Undo Paste", "Redo Sort": the command with the step it takes back or again.
    QString UndoCaption() const;
    QString RedoCaption() const;

    // The command of that name in the window's command table; a name not in it asserts.
    QAction *action(const char *name) const
    {
        QAction *found = m_actions.value(QLatin1String(name));
        Q_ASSERT_X(found, "TTextList2Form::action", name);
        return found;
    }
    QMenu *popupMenu() const { return PopupMenu1; }
    int SortColumn() const { return m_document.SortColumn(); }
    int SortDirection() const { return m_document.SortDirection(); }

    TableDocument &document() { return m_document; }
    const TableDocument &document() const { return m_document; }
    TextGridView *grid() const { return TextGrid; }
    QLabel *recvLabel() const { return RecvLabel; }
    QLabel *sendLabel() const { return SendLabel; }

    static constexpr int NumberColumnWidth = 24;
    static constexpr int ConvStrColumnWidth = 216;
    static constexpr int DefaultRowHeight = 17;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    // Checks the table: the warning naming the text it would cut or lose (the
    // findings go to the log), or empty when nothing would be.
    QString LoggedLossWarning();
    // Asks question after that warning when there is one; true to go on.
    bool confirmIfLossy(const char *question);
    void createActions();
    TransferHost &transferHost() const;
    void FormResize();
    // Ends in-place editing before a command; a text that cannot be stored stops it.
    void EndEditing();
    void HistoryChanged();
    QString StepName(EditStep step) const;
    void GridPaste1Update();
    void GridSort1Update();
    void gridSelectionChanged() override { GridSort1Update(); }

    TableDocument m_document;
    QString m_searchText;
    TextGridView *TextGrid = nullptr;
    QWidget *Panel1 = nullptr;
    QLabel *RecvLabel = nullptr;
    QLabel *SendLabel = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QHash<QString, QAction *> m_actions;
    QString m_undoWord, m_redoWord;   // the Undo and Redo captions without a step
    CheckListDialog *m_checkList = nullptr;   // made on the first Check Table
};
