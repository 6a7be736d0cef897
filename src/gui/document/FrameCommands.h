// The window's commands by their stable IDs, with the labels the menus and the toolbar show.
#pragma once

#include <array>

namespace vellum::gui {

enum CommandId : int {
    kCmdImport = 32772,
    kCmdOptions = 32775,
    kCmdWebSite = 32776,
    kCmdDeleteResource = 32777,
    kCmdAddResource = 32778,
    kCmdDebugMode = 32781,
    kCmdIconSnapshot = 32783,
    kCmdToggleInsert = 32784,
    kCmdApplyIconset = 1075,
    kCmdFileNew = 57600,
    kCmdFileOpen = 57601,
    kCmdFileSave = 57603,
    kCmdFileSaveAs = 57604,
    kCmdEditCopy = 57634,
    kCmdEditCut = 57635,
    kCmdEditPaste = 57637,
    kCmdEditUndo = 57643,
    kCmdAbout = 57664,
    kCmdExit = 57665,
};

struct CommandEntry {
    int id;
    const char* menuText;
    const char* toolbarText; // null: not on the toolbar
    const char* shortcut;    // QKeySequence text, or null
};

inline constexpr std::array<CommandEntry, 19> kCommands{{
    {kCmdFileNew, "&New", "New", "Ctrl+N"},
    {kCmdFileOpen, "&Open...", "Open...", "Ctrl+O"},
    {kCmdFileSave, "&Save", "Save", "Ctrl+S"},
    {kCmdFileSaveAs, "Save &As...", nullptr, nullptr},
    {kCmdImport, "&Import...", nullptr, nullptr},
    {kCmdExit, "E&xit", nullptr, nullptr},
    {kCmdEditUndo, "&Undo", "Undo", "Ctrl+Z"},
    {kCmdEditCut, "Cu&t", "Cut", "Ctrl+X"},
    {kCmdEditCopy, "&Copy", "Copy", "Ctrl+C"},
    {kCmdEditPaste, "&Paste", "Paste", "Ctrl+V"},
    {kCmdDeleteResource, "&Delete Resource", "Delete Resource", "Ctrl+D"},
    {kCmdAddResource, "&Add Resource. . .", "Add Resource. . .", nullptr},
    {kCmdIconSnapshot, "&Icon Snapshot", "Icon Snapshot. . .", nullptr},
    {kCmdApplyIconset, "Apply Iconset. . .", "Apply Iconset. . .", nullptr},
    {kCmdOptions, "&Options...", nullptr, nullptr},
    {kCmdDebugMode, "&Debug Mode", nullptr, nullptr},
    {kCmdToggleInsert, "Insert Mode", nullptr, "Ins"},
    {kCmdWebSite, "Vellum on the &Web", nullptr, nullptr},
    {kCmdAbout, "&About Vellum...", nullptr, nullptr},
}};

// Menus, each a list of command IDs; 0 is a separator, -1 ends a shorter list.
struct MenuEntry {
    const char* title;
    std::array<int, 9> items;
};

inline constexpr std::array<MenuEntry, 4> kMenus{{
    {"&File",
     {kCmdFileNew, kCmdFileOpen, kCmdFileSave, kCmdFileSaveAs, 0, kCmdImport, 0, kCmdExit, -1}},
    {"&Edit",
     {kCmdEditUndo, 0, kCmdEditCut, kCmdEditCopy, kCmdEditPaste, 0, kCmdDeleteResource,
      kCmdAddResource, -1}},
    {"&Tools", {kCmdIconSnapshot, kCmdApplyIconset, 0, kCmdOptions, kCmdDebugMode, -1}},
    {"&Help", {kCmdWebSite, kCmdAbout, -1}},
}};

// Toolbar order; 0 is a separator.
inline constexpr std::array<int, 15> kToolbar{kCmdFileNew,
                                              kCmdFileOpen,
                                              kCmdFileSave,
                                              0,
                                              kCmdEditCut,
                                              kCmdEditCopy,
                                              kCmdEditPaste,
                                              0,
                                              kCmdEditUndo,
                                              0,
                                              kCmdDeleteResource,
                                              kCmdAddResource,
                                              0,
                                              kCmdIconSnapshot,
                                              kCmdApplyIconset};

const CommandEntry* FindCommand(int id);

} // namespace vellum::gui
