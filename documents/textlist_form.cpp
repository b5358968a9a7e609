#include "documents/textlist_form.h"

#include "common/captions.h"
#include "common/codepage.h"
#include "common/linked_menu_item.h"
#include "common/messages.h"
#include "common/zered_error.h"
#include "common/zered_gui.h"
#include "common/zered_lang.h"
#include "common/zered_locale.h"
#include "common/zered_log.h"
#include "documents/grid_clipboard.h"
#include "documents/grid_commands.h"
#include "documents/check_list_dialog.h"
#include "documents/compare_dialog.h"
#include "documents/document_services.h"
#include "documents/grid_hints.h"
#include "documents/table_check.h"
#include "documents/table_compare.h"
#include "documents/table_actions.h"
#include "documents/table_transfer.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

namespace {

// "recv:" or "send:" in the interface's language, then the time of the last transfer.
QString TransferLabelText(const QString &word, const QString &stamp)
{
    return LocaleLookup(word, word) + stamp;
}

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

TTextList2Form::TTextList2Form(const DocumentServices &services, QWidget *parent)
    : TChildForm(services, parent),
      m_document(EncodeCp932(LocaleLookup(QStringLiteral("conv str"), QStringLiteral("conv str"))),
                 EncodeCp932(LocaleLookup(QStringLiteral("bar code"), QStringLiteral("bar code"))))
{
    setAttribute(Qt::WA_DeleteOnClose);
    resize(640, 460);

    TextGrid = new TextGridView(m_document, this);
    TextGrid->setObjectName(QStringLiteral("TextGrid"));
    TextGrid->setFrameShape(QFrame::NoFrame);
    TextGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TextGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QHeaderView *numbers = TextGrid->verticalHeader();
    numbers->setSectionResizeMode(QHeaderView::Fixed);
    numbers->setMinimumSectionSize(DefaultRowHeight);
    numbers->setDefaultSectionSize(DefaultRowHeight);
    numbers->setFixedWidth(NumberColumnWidth);
    numbers->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QHeaderView *titles = TextGrid->horizontalHeader();
    titles->setFixedHeight(DefaultRowHeight + 2);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    TextGrid->setColumnWidth(0, ConvStrColumnWidth);
    connect(TextGrid, &TextGridView::geometriesChanged, this, &TTextList2Form::FormResize);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(TextGrid);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedSize(254, 16);
    Panel1->setAutoFillBackground(true);   // hides the header text beneath it
    QFont small(QStringLiteral("Tahoma"));
    small.setPointSize(8);
    RecvLabel = new QLabel(TransferLabelText(QStringLiteral("recv:"), QStringLiteral(" --------")), Panel1);
    RecvLabel->setObjectName(QStringLiteral("RecvLabel"));
    RecvLabel->setStyleSheet(QStringLiteral("color: blue"));
    RecvLabel->setFont(small);
    RecvLabel->setGeometry(3, 1, 124, 14);
    SendLabel = new QLabel(TransferLabelText(QStringLiteral("send:"), QStringLiteral(" --------")), Panel1);
    SendLabel->setObjectName(QStringLiteral("SendLabel"));
    SendLabel->setStyleSheet(QStringLiteral("color: red"));
    SendLabel->setFont(small);
    SendLabel->setGeometry(130, 1, 124, 14);
    Panel1->raise();

    createActions();
    ApplyLocale(this);
    m_undoWord = action("Undo1")->text();
    m_redoWord = action("Redo1")->text();
    StringGrid &grid = m_document.grid();
    TextGrid->setCornerText(DecodeCp932(grid.cell(NumberColumn, 0)));
    TextGrid->MoveCursor(grid.fixedCols(), grid.fixedRows());
    m_document.SetHistoryListener([this] { HistoryChanged(); });
    HistoryChanged();
    FormResize();
}

void TTextList2Form::createActions()
{
    for (const ActionSpec &spec : TableActionSpecs) {
        QAction *a = CreateAction(spec, this);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(a);
        m_actions.insert(a->objectName(), a);
    }
    const std::pair<const char *, void (TTextList2Form::*)()> commands[] = {
        {"Clear1", &TTextList2Form::Clear1Execute},         {"GridCut1", &TTextList2Form::GridCut1Execute},
        {"GridCopy1", &TTextList2Form::GridCopy1Execute},   {"GridPaste1", &TTextList2Form::GridPaste1Execute},
        {"GridDelete1", &TTextList2Form::GridDelete1Execute}, {"GridSort1", &TTextList2Form::GridSort1Execute},
        {"SelectAll1", &TTextList2Form::SelectAll1Execute}, {"GridInsert1", &TTextList2Form::GridInsert1Execute},
        {"Recv1", &TTextList2Form::Recv1Execute},           {"Send1", &TTextList2Form::Send1Execute},
        {"Compare1", &TTextList2Form::Compare1Execute},
        {"Undo1", &TTextList2Form::Undo1Execute},           {"Redo1", &TTextList2Form::Redo1Execute},
        {"CheckTable1", &TTextList2Form::CheckTable1Execute},
    };
    for (const auto &[name, command] : commands)
        connect(action(name), &QAction::triggered, this, [this, command = command] {
            zered::Guarded([this, command] { (this->*command)(); });
        });

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    for (const PopupEntry &entry : TablePopupEntries) {
        if (entry.action.empty())
            PopupMenu1->addSeparator()->setObjectName(Text(entry.item));
        else
            PopupMenu1->addAction(LinkedMenuItem(Text(entry.item), m_actions.value(Text(entry.action)), PopupMenu1));
    }

    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &TTextList2Form::GridPaste1Update);
    m_document.grid().addObserver(this);
    GridPaste1Update();
    GridSort1Update();
}

TTextList2Form::~TTextList2Form()
{
    // The grid goes first, while its signals still reach a whole table window
    // and the document it shows still exists.
    m_document.grid().removeObserver(this);
    delete TextGrid;
}

void TTextList2Form::Update()
{
    m_document.Update();
}

void TTextList2Form::ImageToGrid()
{
    m_document.ImageToGrid();
}

namespace {

// The hourglass while a transfer blocks the window.
struct WaitCursor
{
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

QString TransferStamp()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yy-MM-dd HH:mm:ss"));
}

} // namespace

TransferHost &TTextList2Form::transferHost() const
{
    Q_ASSERT_X(services().transfer, "TTextList2Form", "a transfer needs the hosting window's port");
    return *services().transfer;
}

void TTextList2Form::SendTable(const SendSafety &safety)
{
    EndEditing();
    {
        WaitCursor wait;
        ::SendTable(m_document, transferHost(), safety);
    }
    SendLabel->setText(TransferLabelText(QStringLiteral("send:"), TransferStamp()));
}

void TTextList2Form::ReceiveTable()
{
    EndEditing();
    {
        WaitCursor wait;
        ::ReceiveTable(m_document, transferHost());
    }
    m_document.ShowReceivedImage();
    RecvLabel->setText(TransferLabelText(QStringLiteral("recv:"), TransferStamp()));
}

void TTextList2Form::FindInGrid(const QString &text, const FindOptions &options)
{
    const GridCell found = ::FindInGrid(m_document.grid(), text, options, m_searchText);
    StringGrid &grid = m_document.grid();
    EndEditing();
    if (found.col >= grid.fixedCols() && found.row >= grid.fixedRows())
        TextGrid->MoveCursor(found.col, found.row);
    else
        grid.setCurrent(found.col, found.row);   // a header cell: not selectable, but the next step starts here
    const QModelIndex shown = TextGrid->model()->index(qMax(found.row - grid.fixedRows(), 0),
                                                       qMax(found.col - grid.fixedCols(), 0));
    TextGrid->scrollTo(shown);
    if (found.col < grid.fixedCols() || found.row < grid.fixedRows())
        TextGrid->markHeaderCell(found.col, found.row);
}

void TTextList2Form::Recv1Execute()
{
    ReceiveTable();
}

void TTextList2Form::Send1Execute()
{
    SendChoices unremembered;
    SendChoices &choices = services().sendChoices ? *services().sendChoices : unremembered;
    // The question opens with what the check finds the send would cut or lose.
    if (Prompts().ConfirmSend(LoggedLossWarning() + QString::fromUtf8(Msg::AskSendTable), choices))
        SendTable(SendSafety{choices.backup ? services().backupFolder : QString(), choices.verify});
}

void TTextList2Form::Compare1Execute()
{
    EndEditing();
    const QByteArray table = m_document.CurrentImage();
    QByteArray controller;
    {
        WaitCursor wait;
        controller = ReadControllerTable(transferHost());
    }
    const QList<TableDifference> differences = CompareTableImages(table, controller);
    zered::LogPrint(zered::clBlack, Msg::CompareResult, int(differences.size()));
    auto *list = new CompareDialog(windowTitle(), differences, this);
    list->show();
}

void TTextList2Form::CheckTable1Execute()
{
    EndEditing();
    const QList<TableFinding> findings = CheckTable(m_document.grid());
    LogFindings(findings);
    if (!m_checkList) {
        m_checkList = new CheckListDialog(this);
        connect(m_checkList, &CheckListDialog::cellChosen, this, [this](int column, int row) {
            TextGrid->MoveCursor(column, row);
            TextGrid->scrollTo(TextGrid->model()->index(row - m_document.grid().fixedRows(), column - m_document.grid().fixedCols()));
            activateWindow();
            TextGrid->setFocus();
        });
    }
    const QString title = CaptionAsName(action("CheckTable1")->text()) + QStringLiteral(" - ") + windowTitle();
    m_checkList->ShowFindings(title, findings, QString::fromUtf8(Msg::CheckClean));
}

QString TTextList2Form::LoggedLossWarning()
{
    const QList<TableFinding> findings = CheckTable(m_document.grid());
    const QString warning = LossWarning(findings);
    if (!warning.isEmpty())
        LogFindings(findings);
    return warning;
}

bool TTextList2Form::confirmIfLossy(const char *question)
{
    const QString warning = LoggedLossWarning();
    return warning.isEmpty() || Prompts().Confirm(warning + QString::fromUtf8(question));
}

bool TTextList2Form::IsModified() const
{
    return Modified() || TextGrid->isEditing();
}

void TTextList2Form::SetModified(bool value)
{
    // The mark follows the history; set from outside, it says the table is
    // now saved, or that no state in the history is.
    if (value) {
        m_document.setImageStale(true);
        m_document.ForgetSaved();
    } else {
        m_document.MarkSaved();
    }
}

void TTextList2Form::HistoryChanged()
{
    TChildForm::SetModified(!m_document.AtSavedState());
    QAction *undo = action("Undo1"), *redo = action("Redo1");
    undo->setEnabled(m_document.CanUndo());
    undo->setText(UndoCaption());
    redo->setEnabled(m_document.CanRedo());
    redo->setText(RedoCaption());
    Q_EMIT stateChanged();
}

QString TTextList2Form::StepName(EditStep step) const
{
    const char *command = nullptr;
    switch (step) {
    case EditStep::Typing: return LocaleLookup(QStringLiteral("step typing"), QStringLiteral("Typing"));
    case EditStep::MoveRow: return LocaleLookup(QStringLiteral("step row move"), QStringLiteral("Row Move"));
    case EditStep::Cut: command = "GridCut1"; break;
    case EditStep::Paste: command = "GridPaste1"; break;
    case EditStep::DeleteRows: command = "GridDelete1"; break;
    case EditStep::InsertRows: command = "GridInsert1"; break;
    case EditStep::Sort: command = "GridSort1"; break;
    case EditStep::Clear: command = "Clear1"; break;
    case EditStep::Receive: command = "Recv1"; break;
    }
    return CaptionAsName(action(command)->text());
}

QString TTextList2Form::UndoCaption() const
{
    return m_document.CanUndo() ? m_undoWord + u' ' + StepName(m_document.UndoStep()) : m_undoWord;
}

QString TTextList2Form::RedoCaption() const
{
    return m_document.CanRedo() ? m_redoWord + u' ' + StepName(m_document.RedoStep()) : m_redoWord;
}

void TTextList2Form::ClearTable()
{
    m_document.ClearTable();
}

void TTextList2Form::LoadFromFile(const QString &name, int format)
{
    m_document.LoadFromFile(name, format);
    SetFileName(name);
    SetModified(false);
}

void TTextList2Form::SaveToFile(const QString &name, int format)
{
    EndEditing();
    const int kind = format >= 0 ? format : m_document.fileKind();
    if (kind == FileKindBinary && !confirmIfLossy(Msg::AskSaveBinaryAnyway))
        throw OstrelError::cancel();   // the operator goes back to the table
    m_document.SaveToFile(name, format);
    SetFileName(name);
    SetModified(false);
}

void TTextList2Form::EndEditing()
{
    TextGrid->SetEditing(false);
}

void TTextList2Form::GridCut1Execute()
{
    EndEditing();
    PutBlockOnClipboard(m_document.CutSelection());
}

void TTextList2Form::GridCopy1Execute()
{
    EndEditing();
    PutBlockOnClipboard(GridSelectionBlock(m_document.grid()));
}

void TTextList2Form::GridPaste1Execute()
{
    EndEditing();
    PasteClipboard(m_document);
}

void TTextList2Form::GridDelete1Execute()
{
    EndEditing();
    if (Prompts().Confirm(QString::fromUtf8(Msg::AskDeleteRows).arg(m_document.SelectedRowCount())))
        m_document.DeleteSelectedRows();
}

void TTextList2Form::GridInsert1Execute()
{
    EndEditing();
    QString question = QString::fromUtf8(Msg::AskInsertRows).arg(m_document.SelectedRowCount());
    if (const QList<int> lost = m_document.RowsLostByInsert(); !lost.isEmpty()) {
        // The first few numbers name them; a long list would only hide the count.
        constexpr int Named = 8;
        QStringList rows;
        for (int row : lost.first(std::min<qsizetype>(lost.size(), Named)))
            rows.append(QString::number(row));
        if (lost.size() > Named)
            rows.append(QStringLiteral("..."));
        question += QString::fromUtf8(Msg::InsertDropsFilledRows).arg(lost.size()).arg(rows.join(u','));
    }
    if (Prompts().Confirm(question))
        m_document.InsertSelectedRows();
}

void TTextList2Form::GridSort1Execute()
{
    EndEditing();
    const int column = TextGrid->CellAt(TextGrid->LastMouseDown()).col;
    if (column < 0)
        return;   // the last press was outside the cells: no column to sort by
    m_document.SortByColumn(column);
}

void TTextList2Form::SelectAll1Execute()
{
    EndEditing();
    GridSelectAll(m_document.grid());
}

void TTextList2Form::Clear1Execute()
{
    EndEditing();
    if (Prompts().Confirm(QString::fromUtf8(Msg::AskClearTable)))
        m_document.Clear();
}

void TTextList2Form::Undo1Execute()
{
    EndEditing();
    m_document.Undo();
}

void TTextList2Form::Redo1Execute()
{
    EndEditing();
    m_document.Redo();
}

void TTextList2Form::GridPaste1Update()
{
    action("GridPaste1")->setEnabled(ClipboardHoldsText());
}

void TTextList2Form::GridSort1Update()
{
    const GridRect sel = m_document.grid().selection();
    action("GridSort1")->setEnabled(sel.left == sel.right);
}

QRect TTextList2Form::CellRect(GridCell cell) const
{
    const QRect cells = TextGrid->viewport()->geometry();
    const QHeaderView *titles = TextGrid->horizontalHeader(), *numbers = TextGrid->verticalHeader();
    const int x = cell.col == 0 ? 0 : cells.left() + titles->sectionViewportPosition(cell.col - 1);
    const int w = cell.col == 0 ? cells.left() : titles->sectionSize(cell.col - 1);
    const int y = cell.row == 0 ? 0 : cells.top() + numbers->sectionViewportPosition(cell.row - 1);
    const int h = cell.row == 0 ? cells.top() : numbers->sectionSize(cell.row - 1);
    return {TextGrid->mapTo(this, QPoint(x, y)), QSize(w, h)};
}

void TTextList2Form::contextMenuEvent(QContextMenuEvent *event)
{
    PopupMenu1->popup(event->globalPos());
}

void TTextList2Form::resizeEvent(QResizeEvent *event)
{
    TChildForm::resizeEvent(event);
    FormResize();
}

void TTextList2Form::FormResize()
{
    // The barcode column takes what the other columns leave of the grid's width.
    const int rest = TextGrid->viewport()->width() - TextGrid->columnWidth(0);
    if (rest > 10)
        TextGrid->setColumnWidth(1, rest);
    Panel1->move(width() - Panel1->width(), 1);
    Panel1->raise();
}
