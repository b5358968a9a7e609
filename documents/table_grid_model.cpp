#include "documents/table_grid_model.h"

#include "common/codepage.h"
#include "documents/table_document.h"
#include "documents/table_image.h"

#include <QBrush>
#include <QColor>

TableGridModel::TableGridModel(TableDocument &document, QObject *parent)
    : QAbstractTableModel(parent), m_document(document)
{
    connect(&m_document, &TableDocument::cellsChanged, this, &TableGridModel::cellsChanged);
}

int TableGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_document.grid().rowCount() - m_document.grid().fixedRows();
}

int TableGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_document.grid().colCount() - m_document.grid().fixedCols();
}

QVariant TableGridModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const QByteArray &text = m_document.grid().cell(GridColumn(index), GridRow(index));
    switch (role) {
    case Qt::DisplayRole:
        // A cell shows no more than a screen holds; laying out megabytes of text
        // for one line of the grid would take many seconds. Editing gets it all.
        return DecodeCp932Head(text, 1024);
    case Qt::EditRole:
        return DecodeCp932(text);
    case Qt::ForegroundRole: {
        // A text longer than its field is cut when it goes into the table image.
        const int limit = ColumnFieldLength(GridColumn(index));
        if (limit >= 0 && text.size() > limit)
            return QBrush(QColor(255, 0, 0));
        return {};
    }
    default:
        return {};
    }
}

QVariant TableGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::TextAlignmentRole && orientation == Qt::Vertical)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return DecodeCp932(m_document.grid().cell(section + m_document.grid().fixedCols(), 0));
    return DecodeCp932(m_document.grid().cell(0, section + m_document.grid().fixedRows()));
}

Qt::ItemFlags TableGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags shown = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return m_document.locked() ? shown : shown | Qt::ItemIsEditable;   // no editor opens on a locked table
}

bool TableGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return false;
    const int col = GridColumn(index), row = GridRow(index);
    const QString text = value.toString();
    if (text != DecodeCp932(m_document.grid().cell(col, row)))
        m_document.EditCell(col, row, m_document.CellBytes(col, row, text));
    return true;
}

void TableGridModel::cellsChanged(const GridRect &area)
{
    const StringGrid &grid = m_document.grid();
    const int fr = grid.fixedRows(), fc = grid.fixedCols();
    if (area.top < fr)
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    if (area.left < fc)
        Q_EMIT headerDataChanged(Qt::Vertical, qMax(0, area.top - fr), qMax(0, area.bottom - fr));
    const int top = qMax(area.top, fr) - fr, bottom = area.bottom - fr;
    const int left = qMax(area.left, fc) - fc, right = area.right - fc;
    if (top <= bottom && left <= right && bottom >= 0 && right >= 0)
        Q_EMIT dataChanged(index(top, left), index(bottom, right));
}
