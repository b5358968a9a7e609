#pragma once

#include <QItemSelectionModel>

class TableDocument;
class TableGridModel;

// The view's face of the document's selection and cursor cell, which stay the
// truth: what the view selects is written into the document, and what the
// document holds is what the view shows.
class GridSelectionModel : public QItemSelectionModel
{
    Q_OBJECT
public:
    GridSelectionModel(TableDocument &document, TableGridModel *model);

    void select(const QItemSelection &selection, QItemSelectionModel::SelectionFlags command) override;
    void setCurrentIndex(const QModelIndex &index, QItemSelectionModel::SelectionFlags command) override;
    using QItemSelectionModel::select;

private:
    void show();

    TableDocument &m_document;
    bool m_writing = false;   // the view's own change is on its way into the document
};
