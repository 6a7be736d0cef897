// The shortcut a drag out of a view carries besides the item's data, so that dropping it on the
// desktop or into a file manager leaves a link to the item's file. It is a freedesktop link file:
//
//   [Desktop Entry]
//   Type=Link
//   Name=<item name>
//   URL=file://<the item's file, percent-encoded>
//
// named after the item with ".desktop", in the temporary folder (an item of the same name
// overwrites the same file). On Windows it is a shell link named after the item with ".LNK",
// which the desktop and Explorer take as a shortcut.
#pragma once

#include <optional>
#include <string>

namespace vellum {

enum class ShortcutStyle { DesktopEntry, ShellLink };

#ifdef _WIN32
constexpr ShortcutStyle kPlatformShortcut = ShortcutStyle::ShellLink;
#else
constexpr ShortcutStyle kPlatformShortcut = ShortcutStyle::DesktopEntry;
#endif

// A shortcut path longer than this is refused: the drop data of the shell has room for a path of
// 261 characters and no more.
constexpr std::size_t kMaxShortcutPath = 261;

// The file:// URL of an absolute path: every byte outside the unreserved characters and '/'
// percent-encoded.
std::string FileUrl(const std::string& path);

// The link file's text for `target` under `name`.
std::string DragShortcutText(const std::string& target, const std::string& name);

// Where the shortcut for `name` goes in `folder` (path separators in the name become '_').
std::string DragShortcutPath(const std::string& folder, const std::string& name,
                             ShortcutStyle style = kPlatformShortcut);

// Writes the shortcut for `target` into `folder` (the system's temporary folder when empty) and
// returns its path; nothing when the path would be too long or the file cannot be written.
std::optional<std::string> WriteDragShortcut(const std::string& target, const std::string& name,
                                             const std::string& folder = {},
                                             ShortcutStyle style = kPlatformShortcut);

} // namespace vellum
