#include "documents/compare_dialog.h"

#include "common/codepage.h"
#include "common/zered_gui.h"
#include "common/zered_lang.h"

#include <QAction>
#include <QBoxLayout>
#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <algorithm>

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
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->setVisible(!differences.isEmpty());
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *copy = new QAction(LocaleLookup(QStringLiteral("CompareCopy"), QStringLiteral("&Copy")), this);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(copy, &QAction::triggered, this, [this] { QGuiApplication::clipboard()->setText(listText()); });
    addAction(copy);
    auto *copyButton = buttons->addButton(copy->text(), QDialogButtonBox::ActionRole);
    copyButton->setVisible(!differences.isEmpty());
    connect(copyButton, &QPushButton::clicked, copy, &QAction::trigger);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);

    // Wide enough for whole texts (a 68-byte bar code beside a 60-byte
    // string), within the screen; the list scrolls beyond that.
    m_list->header()->resizeSections(QHeaderView::ResizeToContents);
    const int columns = m_list->header()->length();
    const QMargins margins = layout->contentsMargins();
    const int wanted = columns + 2 * m_list->frameWidth() + m_list->verticalScrollBar()->sizeHint().width()
                       + margins.left() + margins.right();
    resize(std::max(560, zered::WidthWithinScreen(this, wanted)), differences.isEmpty() ? 120 : 360);
}

QString CompareDialog::listText() const
{
    const bool all = m_list->selectedItems().isEmpty();
    const auto line = [this](auto &&cell) {
        QStringList cells;
        for (int column = 0; column < m_list->columnCount(); ++column)
            cells.append(cell(column));
        return cells.join(u'\t') + u'\n';
    };
    QString text = line([this](int column) { return m_list->headerItem()->text(column); });
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        if (const QTreeWidgetItem *item = m_list->topLevelItem(i); all || item->isSelected())
            text += line([item](int column) { return item->text(column); });
    return text;
}
