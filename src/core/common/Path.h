// Windows-style path handling on top of the host file system.
//
// Project files store relative names with backslashes in whatever case the source executable
// used. Reads resolve such a name inside the project folder without regard to case; writers
// create exactly the name they are given.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vellum {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

constexpr bool IsPathSeparator(char c) {
    return c == '\\' || c == '/';
}

// The four parts _splitpath yields: "C:", "\dir\sub\", "name", ".ext". The directory keeps its
// trailing separator; the extension starts at the last full stop of the final component.
struct PathParts {
    std::string drive;
    std::string dir;
    std::string fname;
    std::string ext;
};
PathParts SplitPath(std::string_view path);

// folder + name with exactly one separator between them (none added to an empty folder).
std::string JoinPath(std::string_view folder, std::string_view name);
// The path with a trailing separator added when it has none.
std::string WithTrailingSeparator(std::string_view folder);

// Case-insensitive test of a path's extension; `ext` includes the full stop (".bmp").
bool HasExtension(std::string_view path, std::string_view ext);
// The final component (after the last separator).
std::string_view FileNameOf(std::string_view path);

// Backslashes and slashes turned into the host separator.
std::string ToHostPath(std::string_view path);

// A name that is safe as one file-name component on Windows and POSIX: separators, ':', the
// other characters Windows refuses and control bytes become '_'; a trailing full stop or space
// becomes '_'; an empty name, "." and "..", and device names such as CON or LPT1 get a leading
// '_'. Ordinary names come back unchanged.
std::string MakeSafeFileName(std::string_view name);

// Resolves a relative name (either separator, any case) inside `folder`. Each component that
// exists with another case takes the case found on disk; components that do not exist are kept
// as given, so the result also serves for creating new files. Returns nothing when the name
// would leave the folder: absolute names, drive letters, ".." components, or an empty name.
std::optional<std::string> ResolveInFolder(std::string_view folder, std::string_view relative);

} // namespace vellum
