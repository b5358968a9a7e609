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

Q_SIGNALS:
    // The viewport or the headers changed size (columns may need to follow).
    void geometriesChanged();

protected:
    void updateGeometries() override
    {
        QTableView::updateGeometries();
        Q_EMIT geometriesChanged();
    }
};
