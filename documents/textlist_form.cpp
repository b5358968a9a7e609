#include "documents/textlist_form.h"

#include "common/messages.h"
#include "common/zered_log.h"
#include "documents/grid_commands.h"
#include "documents/table_grid_model.h"
#include "documents/text_grid_view.h"

#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QScopedValueRollback>
#include <QTableView>
#include <QVBoxLayout>

TTextList2Form::TTextList2Form(QWidget *parent) : TChildForm(parent)
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
    TextGrid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                              | QAbstractItemView::AnyKeyPressed);
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
    FormResize();
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
