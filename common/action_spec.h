#pragma once

#include <array>
#include <cstddef>
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

// A command table is written once as a list X(name, category, caption,
// shortcut, secondary); these turn it into an enumeration of the names and
// the matching array of entries, so code names an action by its enumerator
// and a misspelt name does not build.
#define OSTREL_ACTION_ID(name, category, caption, shortcut, secondary) name,
#define OSTREL_ACTION_SPEC(name, category, caption, shortcut, secondary) \
    ActionSpec{#name, category, caption, shortcut, secondary},

// The QAction of an entry, owned by parent: the one a form made under the
// entry's name, or a new one; either way with the entry's caption and keys.
QAction *CreateAction(const ActionSpec &spec, QObject *parent);

// A window's actions made from its command table, reached by the table's
// enumeration (Id); the QActions are owned by the parent given.
template <typename Id, std::size_t N>
class ActionSet
{
public:
    ActionSet(const std::array<ActionSpec, N> &specs, QObject *parent)
    {
        for (std::size_t i = 0; i < N; ++i)
            m_actions[i] = CreateAction(specs[i], parent);
    }
    QAction *operator[](Id id) const { return m_actions[static_cast<std::size_t>(id)]; }
    const std::array<QAction *, N> &all() const { return m_actions; }

private:
    std::array<QAction *, N> m_actions{};
};
