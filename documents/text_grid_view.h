#pragma once

#include <QTableView>

// The table window's grid view.
class TextGridView : public QTableView
{
    Q_OBJECT
public:
    using QTableView::QTableView;
    // The in-place editor is open on a cell.
    bool isEditing() const { return state() == QAbstractItemView::EditingState; }
};
