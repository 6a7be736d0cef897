// Writing drag shortcuts.
#include "platform/DragShortcut.h"

#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "platform/ShellLinkFile.h"

#include <filesystem>

namespace vellum {

namespace {

bool Unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '/';
}

std::string TemporaryFolder() {
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
    return ec ? std::string("/tmp") : folder.string();
}

const char* ExtensionOf(ShortcutStyle style) {
    return style == ShortcutStyle::ShellLink ? ".LNK" : ".desktop";
}

std::optional<std::vector<std::uint8_t>>
ShortcutBytes(const std::string& target, const std::string& name, ShortcutStyle style) {
    if (style == ShortcutStyle::ShellLink)
        return MakeShellLink(target, name);
    std::string text = DragShortcutText(target, name);
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

} // namespace

std::string FileUrl(const std::string& path) {
    std::string url = "file://";
    for (unsigned char c : path)
        url += Unreserved(c) ? std::string(1, char(c)) : Format("%%%02X", c);
    return url;
}

std::string DragShortcutText(const std::string& target, const std::string& name) {
    return "[Desktop Entry]\nType=Link\nName=" + name + "\nURL=" + FileUrl(target) + "\n";
}

std::string DragShortcutPath(const std::string& folder, const std::string& name,
                             ShortcutStyle style) {
    std::string safe = name;
    for (char& c : safe)
        if (c == '/' || c == '\\' || c == '\n' || c == '\r')
            c = '_';
    return JoinPath(folder, safe + ExtensionOf(style));
}

std::optional<std::string> WriteDragShortcut(const std::string& target, const std::string& name,
                                             const std::string& folder, ShortcutStyle style) {
    std::string path = DragShortcutPath(folder.empty() ? TemporaryFolder() : folder, name, style);
    if (path.size() > kMaxShortcutPath)
        return std::nullopt;
    std::optional<std::vector<std::uint8_t>> bytes = ShortcutBytes(target, name, style);
    if (!bytes || FAILED(ReplaceFileContents(path, bytes->data(), bytes->size())))
        return std::nullopt;
    return path;
}

} // namespace vellum
