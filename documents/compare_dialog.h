#pragma once

#include "documents/table_compare.h"

#include <QDialog>

class QTreeWidget;

// The fields where a table window and the controller differ: row, field and
// both texts, one line each. It only shows; nothing it lists is changed.
class CompareDialog : public QDialog
{
    Q_OBJECT
public:
    CompareDialog(const QString &windowName, const QList<TableDifference> &differences, QWidget *parent = nullptr);

    QTreeWidget *list() const { return m_list; }
    // The selected lines, or all when none is selected, tab-separated under
    // the column titles: ready to paste into a spreadsheet or a mail.
    QString listText() const;

private:
    QTreeWidget *m_list;
};
