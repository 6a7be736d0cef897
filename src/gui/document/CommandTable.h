// The window's commands under their stable string IDs ("group.command"), with the labels the
// menus and the toolbar show. Code outside the main window finds an action by its ID alone.
#pragma once

#include <array>

namespace vellum::gui {

struct CommandEntry {
    const char* id;
    const char* menuText;
    const char* toolbarText; // null: not on the toolbar
    const char* shortcut;    // QKeySequence text, or null
};

inline constexpr std::array<CommandEntry, 20> kCommands{{
    {"file.new", "&New", "New", "Ctrl+N"},
    {"file.open", "&Open...", "Open...", "Ctrl+O"},
    {"file.save", "&Save", "Save", "Ctrl+S"},
    {"file.saveAs", "Save &As...", nullptr, nullptr},
    {"resource.import", "&Import...", nullptr, nullptr},
    {"file.exit", "E&xit", nullptr, nullptr},
    {"edit.undo", "&Undo", "Undo", "Ctrl+Z"},
    {"edit.cut", "Cu&t", "Cut", "Ctrl+X"},
    {"edit.copy", "&Copy", "Copy", "Ctrl+C"},
    {"edit.paste", "&Paste", "Paste", "Ctrl+V"},
    {"edit.delete", "&Delete Resource", "Delete Resource", "Ctrl+D"},
    {"resource.add", "&Add Resource. . .", "Add Resource. . .", nullptr},
    {"tools.snapshot", "&Icon Snapshot", "Icon Snapshot. . .", nullptr},
    {"tools.apply", "Apply Iconset. . .", "Apply Iconset. . .", nullptr},
    {"tools.restore", "&Restore Icons...", nullptr, nullptr},
    {"tools.options", "&Options...", nullptr, nullptr},
    {"tools.debugMode", "&Debug Mode", nullptr, nullptr},
    {"view.toggleInsert", "Insert Mode", nullptr, "Ins"},
    {"help.website", "Vellum on the &Web", nullptr, nullptr},
    {"help.about", "&About Vellum...", nullptr, nullptr},
}};

// In the menu and toolbar lists below, "" is a separator.
inline constexpr const char* kSeparator = "";

// Menus, each a list of command IDs; a shorter list ends at its first null.
struct MenuEntry {
    const char* title;
    std::array<const char*, 8> items;
};

inline constexpr std::array<MenuEntry, 4> kMenus{{
    {"&File",
     {"file.new", "file.open", "file.save", "file.saveAs", "", "resource.import", "", "file.exit"}},
    {"&Edit",
     {"edit.undo", "", "edit.cut", "edit.copy", "edit.paste", "", "edit.delete", "resource.add"}},
    {"&Tools",
     {"tools.snapshot", "tools.apply", "tools.restore", "", "tools.options", "tools.debugMode"}},
    {"&Help", {"help.website", "help.about"}},
}};

inline constexpr std::array<const char*, 15> kToolbar{"file.new",
                                                      "file.open",
                                                      "file.save",
                                                      "",
                                                      "edit.cut",
                                                      "edit.copy",
                                                      "edit.paste",
                                                      "",
                                                      "edit.undo",
                                                      "",
                                                      "edit.delete",
                                                      "resource.add",
                                                      "",
                                                      "tools.snapshot",
                                                      "tools.apply"};

} // namespace vellum::gui
