#pragma once

#include "common/action_spec.h"

#include <array>
#include <optional>

// The table window's command table: name, category, caption, primary and secondary key.
#define OSTREL_TABLE_ACTIONS(X) \
    X(Recv1, "KOV", "&Receive from KOV", "", "") \
    X(Send1, "KOV", "Send to KOV ...", "", "") \
    X(Compare1, "KOV", "&Compare with KOV", "", "") \
    X(Clear1, "KOV", "Clear ...", "", "") \
    X(GridCut1, "Edit", "Cut", "Ctrl+Alt+X", "") \
    X(GridCopy1, "Edit", "Copy", "Ctrl+Alt+C", "") \
    X(GridPaste1, "Edit", "Paste", "Ctrl+Alt+V", "") \
    X(GridDelete1, "Edit", "Delete...", "Shift+Del", "") \
    X(GridSort1, "Edit", "Sort", "", "") \
    X(SelectAll1, "Edit", "SelectAll", "", "") \
    X(GridInsert1, "Edit", "Insert", "Ctrl+I", "") \
    /* Their keys are the main window's (Ctrl+Z, Ctrl+Y); captions name the step. */ \
    X(Undo1, "Edit", "Undo", "", "") \
    X(Redo1, "Edit", "Redo", "", "") \
    X(CheckTable1, "Edit", "Check Table", "", "") \
    X(FillDown1, "Edit", "Fill &Down", "Ctrl+D", "") \
    X(FillSeries1, "Edit", "Fill &Series", "Ctrl+Shift+D", "") \
    X(GoToRow1, "Edit", "&Go to Row ...", "Ctrl+L", "")

enum class TableAction { OSTREL_TABLE_ACTIONS(OSTREL_ACTION_ID) };
inline constexpr std::array TableActionSpecs{OSTREL_TABLE_ACTIONS(OSTREL_ACTION_SPEC)};
using TableActions = ActionSet<TableAction, TableActionSpecs.size()>;

// One entry of PopupMenu1: the menu item's name and the action it runs; none
// for a separator.
struct PopupEntry
{
    std::string_view item;
    std::optional<TableAction> action;
};

// PopupMenu1's entries in order.
inline constexpr std::array TablePopupEntries{
    PopupEntry{"Undo2", TableAction::Undo1},
    PopupEntry{"Redo2", TableAction::Redo1},
    PopupEntry{"N1", {}},
    PopupEntry{"Cut1", TableAction::GridCut1},
    PopupEntry{"Copy1", TableAction::GridCopy1},
    PopupEntry{"Paste1", TableAction::GridPaste1},
    PopupEntry{"Delete1", TableAction::GridDelete1},
    PopupEntry{"Insert1", TableAction::GridInsert1},
    PopupEntry{"SelectAll2", TableAction::SelectAll1},
    PopupEntry{"N2", {}},
    PopupEntry{"Sort1", TableAction::GridSort1},
    PopupEntry{"Clear2", TableAction::Clear1},
    PopupEntry{"N3", {}},
    PopupEntry{"ReceivefromKOV1", TableAction::Recv1},
    PopupEntry{"SendtoKOV1", TableAction::Send1},
    PopupEntry{"ComparewithKOV1", TableAction::Compare1},
    PopupEntry{"N4", {}},
    PopupEntry{"CheckTable2", TableAction::CheckTable1},
};

// The table window's commands in the main window's Edit menu, after its Undo
// and Redo; none for a separator.
inline constexpr std::array TableEditMenuEntries{
    PopupEntry{"N11", {}},
    PopupEntry{"Cut3", TableAction::GridCut1},
    PopupEntry{"Copy3", TableAction::GridCopy1},
    PopupEntry{"Paste3", TableAction::GridPaste1},
    PopupEntry{"Delete3", TableAction::GridDelete1},
    PopupEntry{"Insert3", TableAction::GridInsert1},
    PopupEntry{"N12", {}},
    PopupEntry{"FillDown3", TableAction::FillDown1},
    PopupEntry{"FillSeries3", TableAction::FillSeries1},
    PopupEntry{"N13", {}},
    PopupEntry{"SelectAll3", TableAction::SelectAll1},
    PopupEntry{"GoToRow3", TableAction::GoToRow1},
    PopupEntry{"N14", {}},
    PopupEntry{"CheckTable3", TableAction::CheckTable1},
};
