#pragma once

#include "common/action_spec.h"

#include <array>

// The main window's command table.
inline constexpr std::array MainActionSpecs{
    ActionSpec{"FileNew1", "File", "&New", "Ctrl+N", ""},
    ActionSpec{"FileOpen1", "File", "&Open ...", "Ctrl+O", "F2"},
    ActionSpec{"HelpAbout", "Help", "&About", "", ""},
    ActionSpec{"FileSave1", "File", "&Save ...", "", "F3"},
    ActionSpec{"FileSaveOverwrite1", "File", "&Save", "Ctrl+S", ""},
    ActionSpec{"FileSaveAs1", "File", "Save &As ...", "", ""},
    ActionSpec{"FileExit1", "File", "e&Xit", "Ctrl+Q", "F12"},
    ActionSpec{"WindowClose1", "Window", "&Close", "Ctrl+W", ""},
    ActionSpec{"WindowCascade1", "Window", "&Cascade", "", ""},
    ActionSpec{"WindowTileHorizontal1", "Window", "Tile &Horizontal", "", ""},
    ActionSpec{"WindowTileVertical1", "Window", "Tile &Virtical", "", ""},
    ActionSpec{"WindowMinimizeAll1", "Window", "Minimize All", "", ""},
    ActionSpec{"WindowArrange1", "Window", "Arrange Icons", "", ""},
    ActionSpec{"EditCut1", "Edit", "Cu&T", "Ctrl+X", ""},
    ActionSpec{"EditCopy1", "Edit", "&Copy", "Ctrl+C", ""},
    ActionSpec{"EditPaste1", "Edit", "&Paste", "Ctrl+V", ""},
    ActionSpec{"EditSelectAll1", "Edit", "Select &All", "Ctrl+A", ""},
    ActionSpec{"EditUndo1", "Edit", "&Undo", "Ctrl+Z", ""},
    ActionSpec{"EditRedo1", "Edit", "&Redo", "Ctrl+Y", "Ctrl+Shift+Z"},
    ActionSpec{"EditDelete1", "Edit", "&Delete", "Del", ""},
    ActionSpec{"SearchFind1", "Search", "&Find Text", "Ctrl+F", ""},
    ActionSpec{"SearchFindNext1", "Search", "Find &Next", "Ctrl+G", ""},
    ActionSpec{"Recv1", "KOV", "Recv", "F5", ""},
    ActionSpec{"Send1", "KOV", "Send ...", "F6", ""},
    ActionSpec{"WindowCloseAll1", "Window", "Close All", "", ""},
};
