#pragma once

#include "common/action_spec.h"

#include <array>

// The table window's command table.
inline constexpr std::array TableActionSpecs{
    ActionSpec{"Recv1", "KOV", "&Receive from KOV", "", ""},
    ActionSpec{"Send1", "KOV", "Send to KOV ...", "", ""},
    ActionSpec{"Clear1", "KOV", "Clear ...", "", ""},
    ActionSpec{"GridCut1", "Edit", "Cut", "Ctrl+Alt+X", ""},
    ActionSpec{"GridCopy1", "Edit", "Copy", "Ctrl+Alt+C", ""},
    ActionSpec{"GridPaste1", "Edit", "Paste", "Ctrl+Alt+V", ""},
    ActionSpec{"GridDelete1", "Edit", "Delete...", "Shift+Del", ""},
    ActionSpec{"GridSort1", "Edit", "Sort", "", ""},
    ActionSpec{"SelectAll1", "Edit", "SelectAll", "", ""},
    ActionSpec{"GridInsert1", "Edit", "Insert", "Ctrl+I", ""},
};

// PopupMenu1's entries in order; "" is a separator (named N2, N3, ...).
inline constexpr std::array TablePopupEntries{
    std::string_view("GridCut1"), std::string_view("GridCopy1"), std::string_view("GridPaste1"),
    std::string_view("GridDelete1"), std::string_view("GridInsert1"), std::string_view("SelectAll1"),
    std::string_view(""), std::string_view("GridSort1"), std::string_view("Clear1"),
    std::string_view(""), std::string_view("Recv1"), std::string_view("Send1"),
};
