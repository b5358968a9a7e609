#include "common/linked_menu_item.h"

#include <QAction>

QAction *LinkedMenuItem(const QString &name, QAction *action, QObject *parent)
{
    auto *item = new QAction(action->text(), parent);
    item->setObjectName(name);
    item->setStatusTip(action->statusTip());
    // Shown in the menu's key column; active only while the menu itself has the keyboard,
    // so they never compete with the action's own keys.
    item->setShortcuts(action->shortcuts());
    item->setShortcutContext(Qt::WidgetShortcut);
    item->setEnabled(action->isEnabled());
    item->setVisible(action->isVisible());
    QObject::connect(item, &QAction::triggered, action, &QAction::trigger);
    QObject::connect(action, &QAction::changed, item,
                     [item, action, text = action->text(), tip = action->statusTip()]() mutable {
        if (action->text() != text)
            item->setText(text = action->text());
        if (action->statusTip() != tip)
            item->setStatusTip(tip = action->statusTip());
        item->setShortcuts(action->shortcuts());
        item->setEnabled(action->isEnabled());
        item->setVisible(action->isVisible());
    });
    return item;
}
