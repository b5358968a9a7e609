#pragma once

class QAction;
class QObject;
class QString;

// A menu item of its own name linked to an action: choosing it runs the action,
// and it follows the action's enabled state, visibility and keys at all times,
// its caption and hint whenever the action's change. A caption or hint set on
// the item itself stays until the action's next one.
QAction *LinkedMenuItem(const QString &name, QAction *action, QObject *parent);
