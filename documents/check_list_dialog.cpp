#include "documents/check_list_dialog.h"

#include "common/zered_gui.h"

#include <QDialogButtonBox>
#include <QScrollBar>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CheckListDialog::CheckListDialog(QWidget *parent) : QDialog(parent), m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("CheckListDialog"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(560, 320);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    connect(m_list, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        const int i = m_list->row(item);
        if (i >= 0 && i < m_findings.size())
            Q_EMIT cellChosen(m_findings[i].column, m_findings[i].row);
    });
}

void CheckListDialog::ShowFindings(const QString &title, const QList<TableFinding> &findings,
                                   const QString &emptyText)
{
    m_findings = findings;
    setWindowTitle(title);
    m_list->clear();
    for (const TableFinding &f : findings)
        m_list->addItem(f.text);
    if (findings.isEmpty())
        m_list->addItem(emptyText);
    m_list->setCurrentRow(0);
    growToShowWholeLines();
    show();
    raise();
    activateWindow();
    m_list->setFocus();
}

void CheckListDialog::growToShowWholeLines()
{
    // A finding quotes the text it is about, often wider than the dialog; widen it
    // (never narrow what the operator chose) up to most of the screen.
    const int chrome = width() - m_list->viewport()->width() + m_list->verticalScrollBar()->sizeHint().width();
    const int wanted = zered::WidthWithinScreen(this, m_list->sizeHintForColumn(0) + chrome);
    if (wanted > width())
        resize(wanted, height());
}
