#pragma once

#include "common/action_spec.h"

#include <array>

// The table window's command table.
inline constexpr std::array TableActionSpecs{
    ActionSpec{"Recv1", "KOV", "&Receive from KOV", "", ""},
    ActionSpec{"Send1", "KOV", "Send to KOV ...", "", ""},
    ActionSpec{"Compare1", "KOV", "&Compare with KOV", "", ""},
    ActionSpec{"Clear1", "KOV", "Clear ...", "", ""},
    ActionSpec{"GridCut1", "Edit", "Cut", "Ctrl+Alt+X", ""},
    ActionSpec{"GridCopy1", "Edit", "Copy", "Ctrl+Alt+C", ""},
    ActionSpec{"GridPaste1", "Edit", "Paste", "Ctrl+Alt+V", ""},
    ActionSpec{"GridDelete1", "Edit", "Delete...", "Shift+Del", ""},
    ActionSpec{"GridSort1", "Edit", "Sort", "", ""},
    ActionSpec{"SelectAll1", "Edit", "SelectAll", "", ""},
    ActionSpec{"GridInsert1", "Edit", "Insert", "Ctrl+I", ""},
    // Their keys are the main window's (Ctrl+Z, Ctrl+Y); captions name the step.
    ActionSpec{"Undo1", "Edit", "Undo", "", ""},
    ActionSpec{"Redo1", "Edit", "Redo", "", ""},
    ActionSpec{"CheckTable1", "Edit", "Check Table", "", ""},
};

// One entry of PopupMenu1: the menu item's name and the action it runs; an
// empty action is a separator.
struct PopupEntry
{
    std::string_view item;
    std::string_view action;
};

// PopupMenu1's entries in order.
inline constexpr std::array TablePopupEntries{
    PopupEntry{"Undo2", "Undo1"},           PopupEntry{"Redo2", "Redo1"},
    PopupEntry{"N1", ""},
    PopupEntry{"Cut1", "GridCut1"},         PopupEntry{"Copy1", "GridCopy1"},
    PopupEntry{"Paste1", "GridPaste1"},     PopupEntry{"Delete1", "GridDelete1"},
    PopupEntry{"Insert1", "GridInsert1"},   PopupEntry{"SelectAll2", "SelectAll1"},
    PopupEntry{"N2", ""},                   PopupEntry{"Sort1", "GridSort1"},
    PopupEntry{"Clear2", "Clear1"},         PopupEntry{"N3", ""},
    PopupEntry{"ReceivefromKOV1", "Recv1"}, PopupEntry{"SendtoKOV1", "Send1"},
    PopupEntry{"ComparewithKOV1", "Compare1"},
    PopupEntry{"N4", ""},                   PopupEntry{"CheckTable2", "CheckTable1"},
};
