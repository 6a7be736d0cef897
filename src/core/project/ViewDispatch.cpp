// The view dispatcher's rules.
#include "project/ViewDispatch.h"

#include "common/Path.h"
#include "common/Strings.h"
#include "formats/ResourceDirectory.h"

#include <array>
#include <optional>
#include <string>

namespace vellum {

namespace {

constexpr std::array<std::string_view, 4> kImageExtensions = {".cur", ".ico", ".bmp", ".png"};
constexpr std::array<std::string_view, 5> kTextExtensions = {".ini", ".htm", ".xml", ".txt",
                                                             ".css"};

template <std::size_t N>
bool OneOf(std::string_view ext, const std::array<std::string_view, N>& list) {
    for (std::string_view candidate : list)
        if (EqualsNoCase(ext, candidate))
            return true;
    return false;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// Resource types that decide the viewer whatever the file is called.
std::optional<ViewChoice> ChoiceOfType(int type) {
    switch (type) {
    case int(rt::kCursorGroup):
        return ViewChoice::ImageCursorGroup;
    case int(rt::kIconGroup):
        return ViewChoice::ImageIconGroup;
    case int(rt::kDialog):
        return ViewChoice::Dialog;
    case int(rt::kVersion):
        return ViewChoice::Version;
    case int(rt::kMenu):
        return ViewChoice::Menu;
    case int(rt::kAccelerators):
        return ViewChoice::Accelerators;
    default:
        return std::nullopt;
    }
}

} // namespace

ViewChoice ChooseView(ViewMode mode, int type, std::string_view fileName, bool png) {
    if (mode == ViewMode::Hex)
        return ViewChoice::Hex;
    if (mode == ViewMode::Text)
        return ViewChoice::Text;
    // HTML (23) and manifests (24) are text, but their names rarely carry an extension.
    bool text = type == int(rt::kHtml) || type == int(rt::kManifest);
    if (auto choice = ChoiceOfType(type))
        return *choice;
    PathParts parts = SplitPath(fileName);
    std::string ext = png ? std::string(".png") : parts.ext;
    if (OneOf(ext, kImageExtensions))
        return ViewChoice::Image;
    if (OneOf(ext, kTextExtensions))
        return ViewChoice::Text;
    if (EqualsNoCase(ext, ".hdr"))
        return ViewChoice::HeaderTable;
    if (!ext.empty())
        return ViewChoice::Hex;
    // Visual styles keep registry scripts (REGINST) and UI files (UIFILE) without an extension.
    if (text || StartsWithNoCase(parts.fname, "reginst") || StartsWithNoCase(parts.fname, "uifile"))
        return ViewChoice::Text;
    return ViewChoice::Hex;
}

} // namespace vellum
