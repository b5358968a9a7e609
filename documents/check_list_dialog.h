#pragma once

#include "documents/table_check.h"

#include <QDialog>

class QListWidget;

// The findings of Check Table, one line each; choosing a line (Enter, double
// click) asks the table window to go to its cell. Modeless, so the operator
// can fix one finding after another with the list open.
class CheckListDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CheckListDialog(QWidget *parent = nullptr);
    void ShowFindings(const QString &title, const QList<TableFinding> &findings, const QString &emptyText);

Q_SIGNALS:
    void cellChosen(int column, int row);

private:
    void growToShowWholeLines();

    QListWidget *m_list;
    QList<TableFinding> m_findings;
};
