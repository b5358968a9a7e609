#pragma once

#include "documents/string_grid.h"

#include <QAbstractTableModel>

class TableDocument;

// The view's face of a table document's grid: grid row 0 is the horizontal
// header and grid column 0 the vertical header (the row numbers travel with
// their rows, so they are data). Cells are bytes in CP932; the view shows them
// decoded, and an edit comes back through setData as one step of the table's
// history. The document keeps its row count, so changes arrive as data and
// header changes, never as a reset.
class TableGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit TableGridModel(TableDocument &document, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // A typed text into its cell (EditRole only). A text that shows as the cell
    // does keeps the cell's bytes, even ones that do not decode. Raises
    // OstrelError, changing nothing, when the text cannot be stored (a character
    // CP932 cannot hold, a line break, tab or NUL).
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    static int GridRow(const QModelIndex &index) { return index.row() + 1; }
    static int GridColumn(const QModelIndex &index) { return index.column() + 1; }

private:
    void cellsChanged(const GridRect &area);

    TableDocument &m_document;
};
