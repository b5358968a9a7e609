#include "documents/textlist_form.h"

#include "common/captions.h"
#include "common/counted_text.h"
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
#include "documents/go_to_row.h"
#include "documents/grid_hints.h"
#include "documents/table_check.h"
#include "documents/table_compare.h"
#include "documents/table_transfer.h"
#include "documents/table_undo_stack.h"
#include "documents/table_image.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QUndoGroup>
#include <QUndoStack>
#include <QScopeGuard>
#include <QStatusTipEvent>
#include <QVBoxLayout>
#include <future>

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

// Asks on the windows' thread while the transfer waits on its own; a cancel
// of the transfer (its window closing, the program ending) ends the wait.
bool AskOnWindowsThread(TransferHost &host, std::function<bool()> ask)
{
    auto answer = std::make_shared<std::promise<bool>>();
    std::future<bool> answered = answer->get_future();
    QMetaObject::invokeMethod(qApp, [answer, ask = std::move(ask)] {
        try {
            answer->set_value(ask());
        } catch (...) {
            answer->set_exception(std::current_exception());
        }
    });
    while (answered.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready)
        host.KeepAlive(true);
    return answered.get();
}

} // namespace

TTextList2Form::TTextList2Form(const DocumentServices &services, QWidget *parent)
    : TChildForm(services, parent), m_actions(TableActionSpecs, this)
{
    setAttribute(Qt::WA_DeleteOnClose);
    resize(640, 460);
    TableDocument &table = document();
    table.setCell(ConvStrColumn, 0, EncodeCp932(LocaleLookup(QStringLiteral("conv str"), QStringLiteral("conv str"))));
    table.setCell(BarcodeColumn, 0, EncodeCp932(LocaleLookup(QStringLiteral("bar code"), QStringLiteral("bar code"))));

    TextGrid = new TextGridView(table, this);
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
    // Room for a whole conversion string of single-byte characters.
    int *rememberedWidth = services.convStrWidth;
    TextGrid->setColumnWidth(0, rememberedWidth && *rememberedWidth > 0
                                    ? *rememberedWidth
                                    : TextGrid->fontMetrics().horizontalAdvance(QString(ConvStrFieldLen, u'0')) + 8);
    // Only the user resizes this column from here on; the barcode column follows the window.
    if (rememberedWidth)
        connect(titles, &QHeaderView::sectionResized, this, [rememberedWidth](int column, int, int width) {
            if (column == 0)
                *rememberedWidth = width;
        });
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
    followHistory();
    const StringGrid &grid = table.grid();
    TextGrid->setCornerText(DecodeCp932(grid.cell(NumberColumn, 0)));
    table.MoveCursor(grid.fixedCols(), grid.fixedRows());
    FormResize();
}

void TTextList2Form::createActions()
{
    for (QAction *a : m_actions.all()) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(a);
    }
    const std::pair<TableAction, void (TTextList2Form::*)()> commands[] = {
        {TableAction::Clear1, &TTextList2Form::Clear1Execute},
        {TableAction::GridCut1, &TTextList2Form::GridCut1Execute},
        {TableAction::GridCopy1, &TTextList2Form::GridCopy1Execute},
        {TableAction::GridPaste1, &TTextList2Form::GridPaste1Execute},
        {TableAction::GridDelete1, &TTextList2Form::GridDelete1Execute},
        {TableAction::GridSort1, &TTextList2Form::GridSort1Execute},
        {TableAction::SelectAll1, &TTextList2Form::SelectAll1Execute},
        {TableAction::GridInsert1, &TTextList2Form::GridInsert1Execute},
        {TableAction::Recv1, &TTextList2Form::Recv1Execute},
        {TableAction::Send1, &TTextList2Form::Send1Execute},
        {TableAction::Compare1, &TTextList2Form::Compare1Execute},
        {TableAction::Undo1, &TTextList2Form::Undo1Execute},
        {TableAction::Redo1, &TTextList2Form::Redo1Execute},
        {TableAction::CheckTable1, &TTextList2Form::CheckTable1Execute},
        {TableAction::FillDown1, &TTextList2Form::FillDown1Execute},
        {TableAction::FillSeries1, &TTextList2Form::FillSeries1Execute},
        {TableAction::GoToRow1, &TTextList2Form::GoToRow1Execute},
    };
    for (const auto &[id, command] : commands)
        connect(action(id), &QAction::triggered, this, [this, command = command] {
            zered::Guarded([this, command] { (this->*command)(); });
        });

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    for (const PopupEntry &entry : TablePopupEntries) {
        if (!entry.action)
            PopupMenu1->addSeparator()->setObjectName(Text(entry.item));
        else
            PopupMenu1->addAction(LinkedMenuItem(Text(entry.item), action(*entry.action), PopupMenu1));
    }

    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &TTextList2Form::GridPaste1Update);
    connect(&document(), &TableDocument::selectionChanged, this, &TTextList2Form::GridSort1Update);
    connect(&document(), &TableDocument::selectionChanged, this, &TTextList2Form::ShowByteCount);
    // While a cell is edited the hint counts what is typed.
    connect(TextGrid, &TextGridView::editorBytesChanged, this,
            [this](qsizetype bytes) { ShowHint(CursorByteCount(document().grid(), bytes)); });
    connect(TextGrid, &TextGridView::editorClosed, this, &TTextList2Form::ShowByteCount);
    connect(&document(), &TableDocument::cellsChanged, this, [this] {
        ShowByteCount();
        // The arrow shows an order the texts no longer need to have.
        if (!m_sortingByTitle)
            TextGrid->horizontalHeader()->setSortIndicatorShown(false);
    });
    connect(TextGrid, &TextGridView::titleClicked, this, [this](int column) {
        zered::Guarded([&] { SortByTitle(column); });
    });
    GridPaste1Update();
    GridSort1Update();
}

void TTextList2Form::followHistory()
{
    // The step names are the localised captions of the commands that make them.
    const auto name = [this](TableAction id) { return CaptionAsName(action(id)->text()); };
    TableUndoStack::StepNames names;
    names[std::size_t(EditStep::Typing)] = LocaleLookup(QStringLiteral("step typing"), QStringLiteral("Typing"));
    names[std::size_t(EditStep::MoveRow)] = LocaleLookup(QStringLiteral("step row move"), QStringLiteral("Row Move"));
    names[std::size_t(EditStep::Cut)] = name(TableAction::GridCut1);
    names[std::size_t(EditStep::Paste)] = name(TableAction::GridPaste1);
    names[std::size_t(EditStep::DeleteRows)] = name(TableAction::GridDelete1);
    names[std::size_t(EditStep::InsertRows)] = name(TableAction::GridInsert1);
    names[std::size_t(EditStep::Sort)] = name(TableAction::GridSort1);
    names[std::size_t(EditStep::Clear)] = name(TableAction::Clear1);
    names[std::size_t(EditStep::Receive)] = name(TableAction::Recv1);
    names[std::size_t(EditStep::Reload)] = LocaleLookup(QStringLiteral("step reload"), QStringLiteral("Reload"));
    names[std::size_t(EditStep::Replace)] = LocaleLookup(QStringLiteral("step replace"), QStringLiteral("Replace"));
    names[std::size_t(EditStep::FillDown)] = name(TableAction::FillDown1);
    names[std::size_t(EditStep::FillSeries)] = name(TableAction::FillSeries1);
    m_history = new TableUndoStack(document(), names);
    document().setHistory(m_history);

    // As Qt's own undo actions are: the command's word, then the step's name when there is one.
    QUndoStack *stack = m_history->undoStack();
    QAction *undo = action(TableAction::Undo1), *redo = action(TableAction::Redo1);
    const QString undoWord = undo->text(), redoWord = redo->text();
    const auto caption = [](const QString &word, const QString &step) {
        return step.isEmpty() ? word : word + u' ' + step;
    };
    undo->setEnabled(false);   // nothing to take back or do again yet
    redo->setEnabled(false);
    connect(stack, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(stack, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    connect(stack, &QUndoStack::undoTextChanged, undo, [=](const QString &step) { undo->setText(caption(undoWord, step)); });
    connect(stack, &QUndoStack::redoTextChanged, redo, [=](const QString &step) { redo->setText(caption(redoWord, step)); });
    if (QUndoGroup *group = services().undoGroup)
        group->addStack(stack);
}

TTextList2Form::~TTextList2Form()
{
    // While the window is whole: the group tells those who follow it.
    if (QUndoGroup *group = services().undoGroup)
        group->removeStack(undoStack());
    // The grid goes first, while its signals still reach a whole table window
    // and the document it shows still exists.
    delete TextGrid;
}

QUndoStack *TTextList2Form::undoStack() const
{
    return m_history->undoStack();
}

namespace {

QString TransferStamp()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yy-MM-dd HH:mm:ss"));
}

} // namespace

void TTextList2Form::RunTransfer(TransferRun::Operation operation, TransferLauncher::Done ended)
{
    Q_ASSERT_X(services().transfer, "TTextList2Form", "a transfer needs the hosting window's port");
    setTransferring(true);
    try {
        services().transfer->StartTransfer(std::move(operation), this,
                                           [this, ended = std::move(ended)](const TransferOutcome &outcome) {
                                               setTransferring(false);
                                               ended(outcome);
                                           });
    } catch (...) {
        setTransferring(false);
        throw;
    }
}

void TTextList2Form::setTransferring(bool on)
{
    document().setLocked(on);
    if (on)
        TextGrid->setCursor(Qt::BusyCursor);
    else
        TextGrid->unsetCursor();
}

bool TTextList2Form::Transferring() const
{
    return document().locked();
}

QByteArray TTextList2Form::ImageToSend()
{
    EndEditing();
    TableDocument &table = document();
    if (table.imageStale())
        table.Update();
    return table.image();
}

void TTextList2Form::SendTable(const SendSafety &safety)
{
    // The send writes the table as it is now, whatever is edited elsewhere meanwhile.
    const QByteArray image = ImageToSend();
    RunTransfer(
        [image, safety, name = DocumentName()](TransferHost &host) {
            SendSafety asking = safety;
            if (safety.confirmChanges)
                asking.confirmChanges = [&host, ask = safety.confirmChanges](const QString &question) {
                    return AskOnWindowsThread(host, [ask, question] { return ask(question); });
                };
            // The image comes back only when it was written.
            return SendTableImage(image, host, asking, name) ? image : QByteArray();
        },
        [this](const TransferOutcome &outcome) {
            if (!outcome.ok())
                std::rethrow_exception(outcome.error);
            if (!outcome.image.isEmpty())
                SendLabel->setText(TransferLabelText(QStringLiteral("send:"), TransferStamp()));
        });
}

void TTextList2Form::ReceiveTable(const std::function<void()> &failed)
{
    EndEditing();
    RunTransfer([name = DocumentName()](TransferHost &host) { return ReadControllerTable(host, Msg::RecvCancelled, name); },
                [this, failed](const TransferOutcome &outcome) {
                    if (!outcome.ok()) {
                        const std::exception_ptr error = outcome.error;
                        if (failed)
                            failed();   // may close this window
                        std::rethrow_exception(error);
                    }
                    std::memcpy(document().image().data(), outcome.image.constData(), TableImageSize);
                    document().ShowReceivedImage();
                    RecvLabel->setText(TransferLabelText(QStringLiteral("recv:"), TransferStamp()));
                });
}

void TTextList2Form::FindInGrid(const QString &text, const FindOptions &options)
{
    TableDocument &table = document();
    const GridCell found = ::FindInGrid(table.grid(), text, options, m_searchText);
    const StringGrid &grid = table.grid();
    EndEditing();
    if (found.col >= grid.fixedCols() && found.row >= grid.fixedRows())
        table.MoveCursor(found.col, found.row);
    else
        table.setCurrent(found.col, found.row);   // a header cell: not selectable, but the next step starts here
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
        SendTable(SendSafety{choices.backup ? services().backupFolder : QString(), choices.verify,
                             [](const QString &question) { return Prompts().ConfirmChanges(question); }});
}

void TTextList2Form::Compare1Execute()
{
    EndEditing();
    const QByteArray table = document().CurrentImage();
    RunTransfer(
        [name = DocumentName()](TransferHost &host) {
            return ReadControllerTable(host, Msg::RecvCancelled, name, JournalOperation::Compare);
        },
                [this, table](const TransferOutcome &outcome) {
                    if (!outcome.ok())
                        std::rethrow_exception(outcome.error);
                    const QList<TableDifference> differences = CompareTableImages(table, outcome.image);
                    zered::LogText(zered::clBlack,
                                   FillCounted(Msg::CompareResult, {QString::number(differences.size())}));
                    auto *list = new CompareDialog(windowTitle(), differences, this);
                    list->show();
                });
}

void TTextList2Form::CheckTable1Execute()
{
    EndEditing();
    const QList<TableFinding> findings = CheckTable(document().grid());
    LogFindings(findings);
    if (!m_checkList) {
        m_checkList = new CheckListDialog(this);
        connect(m_checkList, &CheckListDialog::cellChosen, this, [this](int column, int row) {
            const StringGrid &grid = document().grid();
            document().MoveCursor(column, row);
            TextGrid->scrollTo(TextGrid->model()->index(row - grid.fixedRows(), column - grid.fixedCols()));
            activateWindow();
            TextGrid->setFocus();
        });
    }
    const QString title = CaptionAsName(action(TableAction::CheckTable1)->text()) + QStringLiteral(" - ") + windowTitle();
    m_checkList->ShowFindings(title, findings, QString::fromUtf8(Msg::CheckClean));
}

QString TTextList2Form::LoggedLossWarning()
{
    const QList<TableFinding> findings = CheckTable(document().grid());
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

void TTextList2Form::SaveToFile(const QString &name, int format)
{
    try {
        EndEditing();
    } catch (const OstrelError &refused) {
        // The refusal says what the cell cannot take; the save it stopped must say so too.
        throw OstrelError(refused.message() + QString::fromUtf8(Msg::NothingSaved), refused.detail());
    }
    if (SameFile(name, FileName()) && document().FileChangedOnDisk()) {
        const FileStamp now = FileStamp::Of(name);
        const QString question =
            QString::fromUtf8(Msg::AskOverwriteChanged).arg(windowTitle(), now.TimeText(), QString::number(now.size));
        switch (Prompts().AskOverwriteChanged(question)) {
        case ChangedFileAnswer::Overwrite: break;
        case ChangedFileAnswer::SaveAs: SaveUnderChosenName(); return;
        case ChangedFileAnswer::Cancel: throw OstrelError::cancel();
        }
    }
    const int kind = format >= 0 ? format : document().fileKind();
    if (kind == FileKindBinary && !confirmIfLossy(Msg::AskSaveBinaryAnyway))
        throw OstrelError::cancel();   // the operator goes back to the table
    document().SaveToFile(name, format);
}

void TTextList2Form::Reload1Execute()
{
    if (FileName().isEmpty())
        return;
    if (IsModified() && !Prompts().Confirm(QString::fromUtf8(Msg::AskReloadDiscarding).arg(windowTitle())))
        return;
    EndEditing();
    document().Reload();
}

void TTextList2Form::OfferReloadIfChanged()
{
    if (m_offeringReload || FileName().isEmpty())
        return;
    const FileStamp now = FileStamp::Of(FileName());
    if (!now.ChangedSince(document().fileStamp()) || now.HoldsSameBytes(m_reloadDeclined))
        return;
    if (!IsModified()) {
        document().Reload();
        zered::LogPrint(zered::clBlack, Msg::ReloadedChanged, qUtf8Printable(FileName()));
        return;
    }
    // Activation comes again while the question is open.
    m_offeringReload = true;
    const bool reload = Prompts().Confirm(
        QString::fromUtf8(Msg::AskReloadChanged).arg(windowTitle(), now.TimeText(), QString::number(now.size)));
    m_offeringReload = false;
    if (!reload) {
        m_reloadDeclined = now;
        return;
    }
    EndEditing();
    document().Reload();
}

void TTextList2Form::EndEditing()
{
    TextGrid->SetEditing(false);
}

void TTextList2Form::GridCut1Execute()
{
    EndEditing();
    PutBlockOnClipboard(document().CutSelection());
}

void TTextList2Form::GridCopy1Execute()
{
    EndEditing();
    PutBlockOnClipboard(GridSelectionBlock(document().grid()));
}

void TTextList2Form::GridPaste1Execute()
{
    EndEditing();
    PasteClipboard(document(), [](const PasteLeftOut &leftOut) {
        constexpr int Shown = 40;   // characters of the first text left out
        const QString first = leftOut.firstText.size() > Shown ? leftOut.firstText.left(Shown) + u'…'
                                                               : leftOut.firstText;
        return Prompts().Confirm(QString::fromUtf8(Msg::AskPasteLeavingOut)
                                     .arg(leftOut.clipboardLines)
                                     .arg(leftOut.lines)
                                     .arg(leftOut.texts)
                                     .arg(leftOut.firstLine)
                                     .arg(first));
    });
}

void TTextList2Form::GridDelete1Execute()
{
    EndEditing();
    if (Prompts().Confirm(QString::fromUtf8(Msg::AskDeleteRows).arg(document().SelectedRowCount())))
        document().DeleteSelectedRows();
}

void TTextList2Form::GridInsert1Execute()
{
    EndEditing();
    QString question = QString::fromUtf8(Msg::AskInsertRows).arg(document().SelectedRowCount());
    if (const QList<int> lost = document().RowsLostByInsert(); !lost.isEmpty()) {
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
        document().InsertSelectedRows();
}

void TTextList2Form::GridSort1Execute()
{
    EndEditing();
    const int column = TextGrid->CellAt(TextGrid->LastMouseDown()).col;
    if (column < 0)
        return;   // the last press was outside the cells: no column to sort by
    document().SortByColumn(column);
}

void TTextList2Form::SelectAll1Execute()
{
    EndEditing();
    document().SelectAll();
}

void TTextList2Form::Clear1Execute()
{
    EndEditing();
    if (Prompts().Confirm(QString::fromUtf8(Msg::AskClearTable)))
        document().Clear();
}

void TTextList2Form::Undo1Execute()
{
    EndEditing();
    if (Transferring())
        throw OstrelError(Msg::TableInTransfer);
    undoStack()->undo();
}

void TTextList2Form::Redo1Execute()
{
    EndEditing();
    if (Transferring())
        throw OstrelError(Msg::TableInTransfer);
    undoStack()->redo();
}

void TTextList2Form::GridPaste1Update()
{
    action(TableAction::GridPaste1)->setEnabled(ClipboardHoldsText());
}

void TTextList2Form::GridSort1Update()
{
    const GridRect sel = document().grid().selection();
    action(TableAction::GridSort1)->setEnabled(sel.left == sel.right);
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

void TTextList2Form::ShowCell(GridCell cell)
{
    const StringGrid &grid = document().grid();
    document().MoveCursor(cell.col, cell.row);
    TextGrid->scrollTo(TextGrid->model()->index(cell.row - grid.fixedRows(), cell.col - grid.fixedCols()));
}

void TTextList2Form::ShowByteCount()
{
    ShowHint(CursorByteCount(document().grid()));
}

void TTextList2Form::ShowHint(const QString &hint)
{
    QStatusTipEvent tip(hint);
    QCoreApplication::sendEvent(this, &tip);
}

void TTextList2Form::FillDown1Execute()
{
    EndEditing();
    document().FillDown();
}

void TTextList2Form::FillSeries1Execute()
{
    EndEditing();
    document().FillSeries();
}

void TTextList2Form::GoToRow1Execute()
{
    EndEditing();
    const StringGrid &grid = document().grid();
    const std::optional<QString> answer =
        Prompts().AskText(CaptionAsName(action(TableAction::GoToRow1)->text()),
                          LocaleLookup(QStringLiteral("GoToRowLabel"), QStringLiteral("Row number, or \"last\":")));
    if (!answer)
        return;
    ShowCell({std::max(grid.col(), grid.fixedCols()), GoToRowTarget(grid, *answer)});
}

void TTextList2Form::SortByTitle(int column)
{
    EndEditing();
    m_sortingByTitle = true;
    const auto done = qScopeGuard([this] { m_sortingByTitle = false; });
    document().SortByColumn(column, TableDocument::RowNumbers::Stay);
    QHeaderView *titles = TextGrid->horizontalHeader();
    titles->setSortIndicator(column - document().grid().fixedCols(),
                             document().SortDirection() > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
    titles->setSortIndicatorShown(true);
}

bool TTextList2Form::confirmOverlong(const QList<CellReplacement> &plan)
{
    constexpr int Named = 8;   // the first few; a long list would only hide the count
    QStringList lines;
    int overlong = 0;
    for (const CellReplacement &r : plan) {
        const int field = ColumnFieldLength(r.cell.col);
        if (r.after.size() <= field)
            continue;
        if (++overlong <= Named)
            lines.append(QString::fromUtf8(Msg::ReplaceOverlong)
                             .arg(r.cell.row)
                             .arg(DecodeCp932(document().grid().cell(r.cell.col, 0)))
                             .arg(r.after.size())
                             .arg(field)
                             .arg(DecodeCp932(r.after)));
    }
    if (overlong == 0)
        return true;
    if (overlong > Named)
        lines.append(QStringLiteral("..."));
    return Prompts().Confirm(FillCounted(Msg::AskReplaceOverlong, {QString::number(overlong), lines.join(u'\n')}));
}

void TTextList2Form::ReplaceInGrid(ReplaceStep step, const QString &find, const QString &replacement,
                                   ReplaceOptions options)
{
    EndEditing();
    TableDocument &table = document();
    const StringGrid &grid = table.grid();
    if (options.scope == ReplaceScope::Selection) {
        const GridRect sel = grid.selection();
        if (sel.left != sel.right || sel.top != sel.bottom)
            m_replaceArea = sel;
        options.selection = m_replaceArea.value_or(sel);
    }
    const CellReplacer replacer(find, replacement, options);
    const GridCell cursor{grid.col(), grid.row()};
    if (step == ReplaceStep::ReplaceAll) {
        const QList<CellReplacement> plan = table.PlanReplace(replacer);
        if (plan.isEmpty())
            throw OstrelError(QString::fromUtf8(Msg::ReplaceNotFound).arg(find));
        if (!confirmOverlong(plan))
            return;
        table.ReplaceCells(plan);
        zered::LogText(zered::clBlack, FillCounted(Msg::Replaced, {find, replacement, QString::number(plan.size())}));
        return;
    }
    if (step == ReplaceStep::ReplaceOne && ReplaceScopeCells(grid, options).contains(cursor)) {
        const QList<CellReplacement> plan = table.PlanReplace(replacer, cursor);
        if (!plan.isEmpty()) {
            if (!confirmOverlong(plan))
                return;
            table.ReplaceCells(plan);
        }
    }
    const std::optional<GridCell> next = FindNextMatch(grid, replacer, cursor);
    if (!next)
        throw OstrelError(QString::fromUtf8(Msg::ReplaceNotFound).arg(find));
    if (options.scope == ReplaceScope::Selection) {
        table.setCurrent(next->col, next->row);   // the block stays selected
        TextGrid->scrollTo(TextGrid->model()->index(next->row - grid.fixedRows(), next->col - grid.fixedCols()));
    } else {
        ShowCell(*next);
    }
}
