#pragma once

#include <array>
#include <string_view>

// The table window's command table: each action's name, category, caption and
// shortcut, declared once. The window creates its QActions from it.
struct TableActionSpec
{
    std::string_view name;
    std::string_view category;
    std::string_view caption;
    std::string_view shortcut;   // empty for none
};

inline constexpr std::array TableActionSpecs{
    TableActionSpec{"Recv1", "KOV", "&Receive from KOV", ""},
    TableActionSpec{"Send1", "KOV", "Send to KOV ...", ""},
    TableActionSpec{"Clear1", "KOV", "Clear ...", ""},
    TableActionSpec{"GridCut1", "Edit", "Cut", "Ctrl+Alt+X"},
    TableActionSpec{"GridCopy1", "Edit", "Copy", "Ctrl+Alt+C"},
    TableActionSpec{"GridPaste1", "Edit", "Paste", "Ctrl+Alt+V"},
    TableActionSpec{"GridDelete1", "Edit", "Delete...", "Shift+Del"},
    TableActionSpec{"GridSort1", "Edit", "Sort", ""},
    TableActionSpec{"SelectAll1", "Edit", "SelectAll", ""},
    TableActionSpec{"GridInsert1", "Edit", "Insert", "Ctrl+I"},
};

// PopupMenu1's entries in order; "" is a separator (named N2, N3, ...).
inline constexpr std::array TablePopupEntries{
    std::string_view("GridCut1"), std::string_view("GridCopy1"), std::string_view("GridPaste1"),
    std::string_view("GridDelete1"), std::string_view("GridInsert1"), std::string_view("SelectAll1"),
    std::string_view(""), std::string_view("GridSort1"), std::string_view("Clear1"),
    std::string_view(""), std::string_view("Recv1"), std::string_view("Send1"),
};
