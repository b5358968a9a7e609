#pragma once

#include "common/action_spec.h"

// The main window's command table: name, category, caption, primary and secondary key.
#define OSTREL_MAIN_ACTIONS(X) \
    X(FileNew1, "File", "&New", "Ctrl+N", "") \
    X(FileOpen1, "File", "&Open ...", "Ctrl+O", "F2") \
    X(HelpAbout, "Help", "&About", "", "") \
    X(FileSave1, "File", "&Save ...", "", "F3") \
    X(FileSaveOverwrite1, "File", "&Save", "Ctrl+S", "") \
    X(FileSaveAs1, "File", "Save &As ...", "", "") \
    X(FileExit1, "File", "e&Xit", "Ctrl+Q", "F12") \
    X(WindowClose1, "Window", "&Close", "Ctrl+W", "") \
    X(WindowCascade1, "Window", "&Cascade", "", "") \
    X(WindowTileHorizontal1, "Window", "Tile &Horizontal", "", "") \
    X(WindowTileVertical1, "Window", "Tile &Virtical", "", "") \
    X(WindowMinimizeAll1, "Window", "Minimize All", "", "") \
    X(WindowArrange1, "Window", "Arrange Icons", "", "") \
    X(EditCut1, "Edit", "Cu&T", "Ctrl+X", "") \
    X(EditCopy1, "Edit", "&Copy", "Ctrl+C", "") \
    X(EditPaste1, "Edit", "&Paste", "Ctrl+V", "") \
    X(EditSelectAll1, "Edit", "Select &All", "Ctrl+A", "") \
    X(EditUndo1, "Edit", "&Undo", "Ctrl+Z", "") \
    X(EditRedo1, "Edit", "&Redo", "Ctrl+Y", "Ctrl+Shift+Z") \
    X(EditDelete1, "Edit", "&Delete", "Del", "") \
    X(SearchFind1, "Search", "&Find Text", "Ctrl+F", "") \
    X(SearchFindNext1, "Search", "Find &Next", "Ctrl+G", "") \
    X(Recv1, "KOV", "Recv", "F5", "") \
    X(Send1, "KOV", "Send ...", "F6", "") \
    X(Compare1, "KOV", "&Compare with controller", "", "") \
    X(WindowCloseAll1, "Window", "Close All", "", "") \
    X(SearchCheckTable1, "Search", "Check &Table", "Ctrl+K", "") \
    X(FileReload1, "File", "Re&load", "", "") \
    X(SearchReplace1, "Search", "&Replace ...", "Ctrl+H", "") \
    X(TransferJournal1, "KOV", "Transfer &Journal", "", "") \
    X(SendSeveral1, "KOV", "Send to se&veral controllers ...", "", "")

enum class MainAction { OSTREL_MAIN_ACTIONS(OSTREL_ACTION_ID) };
inline constexpr std::array MainActionSpecs{OSTREL_MAIN_ACTIONS(OSTREL_ACTION_SPEC)};
using MainActions = ActionSet<MainAction, MainActionSpecs.size()>;
