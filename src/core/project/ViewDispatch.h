// Which viewer shows a resource: the resource type first (groups, dialogs, version information,
// menus, and the types that hold text), then the data file's extension.
#pragma once

#include <string_view>

namespace vellum {

// How the user asked for the resource: the tree's own choice, or "View Hex" / "View Text".
enum class ViewMode { Automatic, Hex, Text };

// The viewers, numbered as the window has always numbered its view kinds (3, 4 and 5 all meant
// the plain image display; 3 stands for it here). None is no viewer at all, which the window's
// pane has before anything is selected; ChooseView never gives it.
enum class ViewChoice {
    None = 0,
    Hex = 1,
    Text = 2,
    Image = 3,
    Dialog = 6,
    Menu = 7,
    Version = 8,
    ImageIconGroup = 9,
    ImageCursorGroup = 10,
    HeaderTable = 11,
    // Accelerator tables get a pane of their own (a table of keys and commands), a kind the
    // older numbering has no place for.
    Accelerators = 12,
};

// `type` is the resource's type ID (0 under a named type); `fileName` the data file's name as
// the manifest gives it; `png` the bitmap's Png flag, which puts ".png" in place of the name's
// extension on disk.
ViewChoice ChooseView(ViewMode mode, int type, std::string_view fileName, bool png);

} // namespace vellum
