#pragma once

#include "documents/string_grid.h"

#include <QAbstractTableModel>

// The view's face of a StringGrid: grid row 0 is the horizontal header and
// grid column 0 the vertical header (the row numbers travel with their rows,
// so they are data). Cells are bytes in CP932; the view shows them decoded.
// Edits do not come back through the model: the view stores them through the
// table's document, as undoable steps.
class TableGridModel : public QAbstractTableModel, private GridObserver
{
    Q_OBJECT
public:
    explicit TableGridModel(StringGrid &grid, QObject *parent = nullptr);
    ~TableGridModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Byte length past which a column's text no longer fits its record field.
    static int FieldLength(int gridColumn);

    static int GridRow(const QModelIndex &index) { return index.row() + 1; }
    static int GridColumn(const QModelIndex &index) { return index.column() + 1; }

private:
    void gridCellsChanged(const GridRect &area) override;
    void gridReset() override;

    StringGrid &m_grid;
};
