#pragma once

#include <string_view>

class QAction;
class QObject;

// One entry of a window's command table: the action's name, category,
// caption and keys, declared once; the window makes its QActions from them.
struct ActionSpec
{
    std::string_view name;
    std::string_view category;
    std::string_view caption;
    std::string_view shortcut;    // primary; empty for none
    std::string_view secondary;   // further key; empty for none
};

// The QAction of an entry, owned by parent.
QAction *CreateAction(const ActionSpec &spec, QObject *parent);
