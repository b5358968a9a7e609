#include "documents/compare_dialog.h"

#include "common/codepage.h"
#include "common/zered_lang.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>

CompareDialog::CompareDialog(const QString &windowName, const QList<TableDifference> &differences, QWidget *parent)
    : QDialog(parent), m_list(new QTreeWidget)
{
    setObjectName(QStringLiteral("CompareDialog"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(LocaleLookup(QStringLiteral("CompareDialog.Caption"), QStringLiteral("Compare with controller")));
    const QString summary =
        differences.isEmpty()
            ? LocaleLookup(QStringLiteral("CompareSame"), QStringLiteral("The controller holds the same table as %1."))
            : LocaleLookup(QStringLiteral("CompareDiffers"), QStringLiteral("%2 fields differ between %1 and the controller."));
    auto *label = new QLabel(summary.arg(windowName).arg(differences.size()));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setHeaderLabels({LocaleLookup(QStringLiteral("CompareRow"), QStringLiteral("Row")),
                             LocaleLookup(QStringLiteral("CompareField"), QStringLiteral("Field")),
                             windowName,
                             LocaleLookup(QStringLiteral("CompareController"), QStringLiteral("Controller"))});
    QList<QTreeWidgetItem *> items;
    for (const TableDifference &d : differences) {
        const QString field = LocaleLookup(FieldName(d.column), FieldName(d.column));
        items.append(new QTreeWidgetItem(
            QStringList{QString::number(d.row), field, DecodeCp932(d.left), DecodeCp932(d.right)}));
    }
    m_list->addTopLevelItems(items);
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->setVisible(!differences.isEmpty());
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    resize(560, differences.isEmpty() ? 120 : 360);
}
