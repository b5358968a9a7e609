#include "documents/grid_selection_model.h"

#include "documents/table_document.h"
#include "documents/table_grid_model.h"

#include <QScopedValueRollback>
#include <climits>

GridSelectionModel::GridSelectionModel(TableDocument &document, TableGridModel *model)
    : QItemSelectionModel(model, model), m_document(document)
{
    connect(&m_document, &TableDocument::selectionChanged, this, [this] {
        if (!m_writing)
            show();
    });
    show();
}

void GridSelectionModel::select(const QItemSelection &selection, QItemSelectionModel::SelectionFlags command)
{
    QItemSelectionModel::select(selection, command);
    const StringGrid &grid = m_document.grid();
    const int fc = grid.fixedCols(), fr = grid.fixedRows();
    const QItemSelection shown = this->selection();
    if (shown.isEmpty()) {
        // The document always has a block, the cursor cell at least; a view
        // that cleared its own shows the document's again.
        show();
        return;
    }
    GridRect rect{INT_MAX, INT_MAX, -1, -1};
    for (const QItemSelectionRange &range : shown) {
        rect.left = std::min(rect.left, range.left() + fc);
        rect.top = std::min(rect.top, range.top() + fr);
        rect.right = std::max(rect.right, range.right() + fc);
        rect.bottom = std::max(rect.bottom, range.bottom() + fr);
    }
    m_document.setSelection(rect);
}

void GridSelectionModel::setCurrentIndex(const QModelIndex &index, QItemSelectionModel::SelectionFlags command)
{
    // The view moves the cursor and then the selection that comes with it;
    // only the place both leave is shown back.
    {
        const QScopedValueRollback writing(m_writing, true);
        if (index.isValid())
            m_document.setCurrent(TableGridModel::GridColumn(index), TableGridModel::GridRow(index));
        QItemSelectionModel::setCurrentIndex(index, command);
    }
    show();
}

void GridSelectionModel::show()
{
    const StringGrid &grid = m_document.grid();
    const int fc = grid.fixedCols(), fr = grid.fixedRows();
    const QModelIndex current = model()->index(grid.row() - fr, grid.col() - fc);
    if (current.isValid() && current != currentIndex())
        QItemSelectionModel::setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    const GridRect sel = grid.selection();
    const QItemSelection wanted(model()->index(sel.top - fr, sel.left - fc),
                                model()->index(sel.bottom - fr, sel.right - fc));
    if (selection() != wanted)
        QItemSelectionModel::select(wanted, QItemSelectionModel::ClearAndSelect);
}
