#include "documents/textlist_form.h"

#include "documents/compare_dialog.h"
#include "documents/document_services.h"
#include "documents/table_compare.h"

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
#include "documents/grid_hints.h"
#include "documents/table_actions.h"
#include "documents/table_grid_model.h"
#include "documents/table_transfer.h"
#include "documents/text_grid_view.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QStatusTipEvent>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

bool IsEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

bool KeyStartsEditing(int key, Qt::KeyboardModifiers modifiers, const QString &text)
{
    if (modifiers & Qt::ControlModifier)
        return false;
    switch (key) {
    case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
    case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_Home: case Qt::Key_End:
        return false;
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

TTextList2Form::TTextList2Form(const DocumentServices &services, QWidget *parent)
    : TChildForm(services, parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    resize(640, 460);

    TextGrid = new TextGridView(this);
    TextGrid->setObjectName(QStringLiteral("TextGrid"));
    m_model = new TableGridModel(m_document.grid(), this);
    TextGrid->setModel(m_model);
    TextGrid->setFrameShape(QFrame::NoFrame);
    TextGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TextGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TextGrid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    TextGrid->setWordWrap(false);
    TextGrid->setTextElideMode(Qt::ElideNone);   // cut at the cell edge, as the grid draws
    // The editor opens only by the window's own rules (keys, Enter, a second click).
    TextGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QHeaderView *numbers = TextGrid->verticalHeader();
    numbers->setSectionResizeMode(QHeaderView::Fixed);
    numbers->setMinimumSectionSize(DefaultRowHeight);
    numbers->setDefaultSectionSize(DefaultRowHeight);
    numbers->setFixedWidth(NumberColumnWidth);
    numbers->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    numbers->setSectionsMovable(true);   // rows move by dragging their numbers
    QHeaderView *titles = TextGrid->horizontalHeader();
    titles->setFixedHeight(DefaultRowHeight + 2);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setHighlightSections(false);
    titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    numbers->setHighlightSections(false);
    // Header cells are not selectable: a press there only moves the cursor.
    numbers->setSectionsClickable(false);
    titles->setSectionsClickable(false);
    for (QWidget *w : {TextGrid->viewport(), numbers->viewport(), titles->viewport()}) {
        w->setMouseTracking(true);   // hints follow the pointer
        w->installEventFilter(this);
    }
    TextGrid->installEventFilter(this);
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
    RecvLabel = new QLabel(QStringLiteral("recv: --------"), Panel1);
    RecvLabel->setObjectName(QStringLiteral("RecvLabel"));
    RecvLabel->setStyleSheet(QStringLiteral("color: blue"));
    RecvLabel->setFont(small);
    RecvLabel->setGeometry(3, 1, 124, 14);
    SendLabel = new QLabel(QStringLiteral("send: --------"), Panel1);
    SendLabel->setObjectName(QStringLiteral("SendLabel"));
    SendLabel->setStyleSheet(QStringLiteral("color: red"));
    SendLabel->setFont(small);
    SendLabel->setGeometry(130, 1, 124, 14);
    Panel1->raise();

    connect(m_model, &TableGridModel::cellEdited, this, [this] { SetModified(true); });
    connect(numbers, &QHeaderView::sectionMoved, this, [this, numbers](int, int fromVisual, int toVisual) {
        // The grid's data moves, not just the header's picture of it.
        const QSignalBlocker block(numbers);
        numbers->moveSection(toVisual, fromVisual);
        TextGridRowMoved(fromVisual + 1, toVisual + 1);
    });
    connect(TextGrid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TTextList2Form::TextGridSelectCell);
    connect(TextGrid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TTextList2Form::TakeViewSelection);
    connect(TextGrid, &QAbstractItemView::clicked, this, [this] { zered::Guarded([this] { TextGridClick(); }); });
    connect(TextGrid, &TextGridView::editorOpened, this, &TTextList2Form::TextGridEditorOpened);
    connect(TextGrid, &TextGridView::editorClosed, this, &TTextList2Form::TextGridEditorClosed);

    createActions();
    ApplyLocale(this);
    StringGrid &grid = m_document.grid();
    grid.setCell(ConvStrColumn, 0, EncodeCp932(LocaleLookup(QStringLiteral("conv str"), QStringLiteral("conv str"))));
    grid.setCell(BarcodeColumn, 0, EncodeCp932(LocaleLookup(QStringLiteral("bar code"), QStringLiteral("bar code"))));
    grid.setCurrent(grid.fixedCols(), grid.fixedRows());
    grid.setSelection({grid.fixedCols(), grid.fixedRows(), grid.fixedCols(), grid.fixedRows()});
    ShowGridSelection();
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
    GridPaste1Update();
    GridSort1Update();
}

TTextList2Form::~TTextList2Form()
{
    // The grid and its model go first, while their signals still reach a whole
    // table window and the document they show still exists.
    delete TextGrid;
    delete m_model;
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
    {
        WaitCursor wait;
        ::SendTable(m_document, transferHost(), safety);
    }
    SendLabel->setText(QStringLiteral("send:") + TransferStamp());
}

void TTextList2Form::ReceiveTable()
{
    {
        WaitCursor wait;
        ::ReceiveTable(m_document, transferHost());
    }
    SetModified(true);
    ImageToGrid();
    RecvLabel->setText(QStringLiteral("recv:") + TransferStamp());
}

void TTextList2Form::FindInGrid(const QString &text, const FindOptions &options)
{
    const GridCell found = ::FindInGrid(m_document.grid(), text, options, m_searchText);
    StringGrid &grid = m_document.grid();
    SetEditing(false);
    if (found.col >= grid.fixedCols() && found.row >= grid.fixedRows())
        MoveCursor(found.col, found.row);
    else
        grid.setCurrent(found.col, found.row);   // a header cell: not selectable, but the next step starts here
    const QModelIndex shown = m_model->index(qMax(found.row - grid.fixedRows(), 0),
                                             qMax(found.col - grid.fixedCols(), 0));
    TextGrid->scrollTo(shown);
}

void TTextList2Form::Recv1Execute()
{
    ReceiveTable();
}

void TTextList2Form::Send1Execute()
{
    SendChoices unremembered;
    SendChoices &choices = services().sendChoices ? *services().sendChoices : unremembered;
    if (Prompts().ConfirmSend(QString::fromUtf8(Msg::AskSendTable), choices))
        SendTable(SendSafety{choices.backup ? services().backupFolder : QString(), choices.verify});
}

void TTextList2Form::Compare1Execute()
{
    // The table as it would be sent, without touching the window's own image.
    QByteArray table = m_document.image();
    if (m_document.imageStale())
        EncodeTableImage(m_document.grid(), table.data());
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

bool TTextList2Form::IsModified() const
{
    return Modified() || TextGrid->isEditing();
}

void TTextList2Form::SetModified(bool value)
{
    TChildForm::SetModified(value);
    if (value)
        m_document.setImageStale(true);
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
    m_document.SaveToFile(name, format);
    SetFileName(name);
    SetModified(false);
}

void TTextList2Form::GridCut1Execute()
{
    SetEditing(false);
    GridCutToClipboard(m_document.grid());
    SetModified(true);
}

void TTextList2Form::GridCopy1Execute()
{
    SetEditing(false);
    GridCopyToClipboard(m_document.grid());
}

void TTextList2Form::GridPaste1Execute()
{
    SetEditing(false);
    StringGrid &grid = m_document.grid();
    const GridRect sel = grid.selection();
    const QByteArray text = ClipboardBytes();
    const bool single = sel.top == sel.bottom && sel.left == sel.right;
    grid.setSelection(single ? GridPasteAtCell(grid, text) : GridPasteIntoSelection(grid, text));
    ShowGridSelection();
    SetModified(true);
}

void TTextList2Form::GridDelete1Execute()
{
    ChangeSelectedRows(Msg::AskDeleteRows, GridDeleteRow);
}

void TTextList2Form::GridInsert1Execute()
{
    ChangeSelectedRows(Msg::AskInsertRows, GridInsertRow);
}

void TTextList2Form::ChangeSelectedRows(const char *question, void (*change)(StringGrid &, int first, int count))
{
    SetEditing(false);
    StringGrid &grid = m_document.grid();
    const GridRect sel = grid.selection();
    const int n = sel.bottom - sel.top + 1;
    if (!Prompts().Confirm(QString::fromUtf8(question).arg(n)))
        return;
    change(grid, sel.top, n);
    grid.setRowCount(TableRowCount + grid.fixedRows());
    ShowGridSelection();
    SetModified(true);
}

void TTextList2Form::GridSort1Execute()
{
    SetEditing(false);
    const int column = CellAt(m_lastMouseDown).col;
    if (column < 0)
        return;   // the last press was outside the cells: no column to sort by
    if (column == m_sortColumn)
        m_sortDirection = -m_sortDirection;
    else
        m_sortColumn = column;
    GridSortByColumn(m_document.grid(), m_sortColumn, GridSortComparisonFor(m_sortColumn, m_sortDirection));
    SetModified(true);
    zered::LogPrint(zered::clBlack, Msg::Sorted, m_sortColumn, m_sortDirection > 0 ? "asc" : "desc");
}

void TTextList2Form::SelectAll1Execute()
{
    SetEditing(false);
    GridSelectAll(m_document.grid());
    ShowGridSelection();
}

void TTextList2Form::Clear1Execute()
{
    SetEditing(false);
    if (!Prompts().Confirm(QString::fromUtf8(Msg::AskClearTable)))
        return;
    ClearTable();
    SetModified(true);
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

void TTextList2Form::SetEditing(bool on)
{
    if (on == m_editing)
        return;
    m_editing = on;
    if (on) {
        // A grid without a current cell opens no editor: back to browsing.
        auto browse = qScopeGuard([this] {
            m_editing = false;
            TextGrid->setSelectionMode(QAbstractItemView::ContiguousSelection);
        });
        TextGrid->setSelectionMode(QAbstractItemView::SingleSelection);
        TextGrid->edit(TextGrid->currentIndex());
        GetGridEditor(*TextGrid).selectAll();   // typing replaces the text
        browse.dismiss();
    } else {
        TextGrid->commitAndCloseEditor();
        TextGrid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    }
}

void TTextList2Form::TextGridEditorOpened(const QModelIndex &index)
{
    m_editStartText = m_document.grid().cell(TableGridModel::GridColumn(index), TableGridModel::GridRow(index));
    if (QWidget *editor = TextGrid->indexWidget(index))
        editor->installEventFilter(this);   // Enter and Escape are the window's
    // An editor opened from elsewhere is editing all the same.
    if (!m_editing) {
        m_editing = true;
        TextGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    }
}

void TTextList2Form::TextGridEditorClosed()
{
    // The view closes the editor itself when the focus leaves it (another
    // window activated, a click elsewhere).
    if (m_editing) {
        m_editing = false;
        TextGrid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    }
}

bool TTextList2Form::TextGridKeyDown(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Escape)
        return true;
    if (IsEnterKey(key)) {
        SetEditing(!m_editing);
        return true;
    }
    if (m_editing || !KeyStartsEditing(key, event->modifiers(), event->text()))
        return false;
    SetEditing(true);
    // A character replaces the selected text in the editor just opened.
    if (!event->text().isEmpty() && event->text().at(0).isPrint()) {
        QKeyEvent typed(event->type(), event->key(), event->modifiers(), event->text());
        QCoreApplication::sendEvent(&GetGridEditor(*TextGrid), &typed);
    }
    return true;
}

bool TTextList2Form::EditorKeyDown(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        GetGridEditor(*TextGrid).setText(DecodeCp932(m_editStartText));
        SetEditing(false);
        return true;
    }
    if (IsEnterKey(event->key())) {
        SetEditing(false);
        return true;
    }
    return false;
}

GridCell TTextList2Form::CellAt(const QPoint &pos) const
{
    const QWidget *cells = TextGrid->viewport();
    const QHeaderView *titles = TextGrid->horizontalHeader(), *numbers = TextGrid->verticalHeader();
    auto inside = [&pos](const QWidget *w) { return w->isVisible() && w->geometry().contains(pos); };
    if (cells->geometry().contains(pos)) {
        const QModelIndex index = TextGrid->indexAt(pos - cells->geometry().topLeft());
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

bool TTextList2Form::TextGridMouseDown(QMouseEvent *event, const QPoint &pos)
{
    m_lastMouseDown = pos;
    const StringGrid &grid = m_document.grid();
    if (event->button() == Qt::LeftButton)
        m_lastSelectedCell = {grid.col(), grid.row()};
    if (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))
        return false;   // the view extends the selection
    const GridCell cell = CellAt(pos);
    if (cell.col < 0 || cell.row < 0)
        return false;
    const bool onHeader = cell.col < grid.fixedCols() || cell.row < grid.fixedRows();
    if (onHeader) {
        // The cursor follows into the column or row; the header keeps its own
        // use of the press (resizing columns, dragging rows).
        MoveCursor(cell.col < grid.fixedCols() ? grid.col() : cell.col,
                   cell.row < grid.fixedRows() ? grid.row() : cell.row);
        return false;
    }
    if (event->button() == Qt::LeftButton)
        return false;   // the view moves the cursor and starts a block
    const GridRect sel = grid.selection();
    if (cell.col < sel.left || cell.col > sel.right || cell.row < sel.top || cell.row > sel.bottom)
        MoveCursor(cell.col, cell.row);
    return true;   // a right-click inside the block keeps it for the popup menu
}

void TTextList2Form::MoveCursor(int col, int row)
{
    StringGrid &grid = m_document.grid();
    grid.setCurrent(col, row);
    grid.setSelection({col, row, col, row});
    ShowGridSelection();
}

void TTextList2Form::TextGridMouseMove(const QPoint &pos)
{
    const GridCell cell = CellAt(pos);
    const QString hint = TextGridHint(cell.col, cell.row);
    if (hint == TextGrid->statusTip())
        return;
    TextGrid->setStatusTip(hint);
    QStatusTipEvent tip(hint);
    QCoreApplication::sendEvent(TextGrid, &tip);
}

void TTextList2Form::TextGridClick()
{
    const StringGrid &grid = m_document.grid();
    if (GridCell{grid.col(), grid.row()} == m_lastSelectedCell)
        SetEditing(true);
}

void TTextList2Form::TextGridSelectCell(const QModelIndex &current, const QModelIndex &previous)
{
    if (m_showingSelection)
        return;
    if (previous.isValid())
        m_lastSelectedCell = {TableGridModel::GridColumn(previous), TableGridModel::GridRow(previous)};
    // The view has already handed the editor's text to the cell it leaves; a
    // changed text marked the document modified on the way.
    SetEditing(false);
    if (current.isValid())
        m_document.grid().setCurrent(TableGridModel::GridColumn(current), TableGridModel::GridRow(current));
    TakeViewSelection();
}

void TTextList2Form::TakeViewSelection()
{
    if (m_showingSelection)
        return;
    StringGrid &grid = m_document.grid();
    GridRect rect{grid.col(), grid.row(), grid.col(), grid.row()};
    const QItemSelection ranges = TextGrid->selectionModel()->selection();
    if (!ranges.isEmpty()) {
        rect = {INT_MAX, INT_MAX, -1, -1};
        for (const QItemSelectionRange &range : ranges) {
            rect.left = std::min(rect.left, range.left() + grid.fixedCols());
            rect.top = std::min(rect.top, range.top() + grid.fixedRows());
            rect.right = std::max(rect.right, range.right() + grid.fixedCols());
            rect.bottom = std::max(rect.bottom, range.bottom() + grid.fixedRows());
        }
    }
    grid.setSelection(rect);
    GridSort1Update();
}

void TTextList2Form::ShowGridSelection()
{
    const QScopedValueRollback<bool> showing(m_showingSelection, true);
    const StringGrid &grid = m_document.grid();
    const GridRect sel = grid.selection();
    const int fc = grid.fixedCols(), fr = grid.fixedRows();
    QItemSelectionModel *selection = TextGrid->selectionModel();
    selection->setCurrentIndex(m_model->index(grid.row() - fr, grid.col() - fc), QItemSelectionModel::NoUpdate);
    selection->select(QItemSelection(m_model->index(sel.top - fr, sel.left - fc),
                                     m_model->index(sel.bottom - fr, sel.right - fc)),
                      QItemSelectionModel::ClearAndSelect);
    GridSort1Update();
}

bool TTextList2Form::eventFilter(QObject *watched, QEvent *event)
{
    bool consumed = false;
    switch (event->type()) {
    case QEvent::KeyPress:
        if (watched == TextGrid || (m_editing && qobject_cast<QLineEdit *>(watched))) {
            auto *key = static_cast<QKeyEvent *>(event);
            zered::Guarded([&] { consumed = watched == TextGrid ? TextGridKeyDown(key) : EditorKeyDown(key); });
            // A key the editor does not take goes on to the grid; Enter and Escape must not.
            if (watched != TextGrid && (key->key() == Qt::Key_Escape || IsEnterKey(key->key())))
                consumed = true;
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        if (auto *w = qobject_cast<QWidget *>(watched);
            w == TextGrid->viewport() || w == TextGrid->horizontalHeader()->viewport()
            || w == TextGrid->verticalHeader()->viewport()) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            const QPoint pos = w->mapTo(TextGrid, mouse->position().toPoint());
            if (event->type() == QEvent::MouseMove)
                TextGridMouseMove(pos);
            else
                zered::Guarded([&] { consumed = TextGridMouseDown(mouse, pos); });
        }
        break;
    default:
        break;
    }
    return consumed || TChildForm::eventFilter(watched, event);
}

void TTextList2Form::contextMenuEvent(QContextMenuEvent *event)
{
    PopupMenu1->popup(event->globalPos());
}

void TTextList2Form::TextGridRowMoved(int fromRow, int toRow)
{
    GridMoveRow(m_document.grid(), fromRow, toRow);
    zered::LogPrint(zered::clBlack, Msg::RowMoved, fromRow, toRow);
    SetModified(true);
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
