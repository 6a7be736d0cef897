// Registry locations and icon locations of iconsets: parsing, resolving and reading.
#include "iconset/IconLocation.h"

#include "common/Path.h"
#include "common/Strings.h"

#include <climits>

namespace vellum {

namespace {

const char kClassesClsid[] = "Software\\Classes\\CLSID\\";
const char kExplorerClsid[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CLSID\\";

std::string WithDefaultIcon(std::string key) {
    if (key.find("DefaultIcon") == std::string::npos)
        key += "\\DefaultIcon";
    return key;
}

// The key without its last backslash-separated part, and that part.
std::pair<std::string_view, std::string_view> SplitLastPart(std::string_view key) {
    std::size_t slash = key.rfind('\\');
    if (slash == std::string_view::npos)
        return {std::string_view(), key};
    return {key.substr(0, slash), key.substr(slash + 1)};
}

RegistryValueRef ClassIdentifierValue(std::string_view location) {
    auto [parent, last] = SplitLastPart(location);
    if (parent.empty() || EqualsNoCase(last, "DefaultIcon"))
        return {RootKey::ClassesRoot, "CLSID\\" + std::string(location), ""};
    return {RootKey::ClassesRoot, "CLSID\\" + std::string(parent), std::string(last)};
}

} // namespace

std::optional<RegistryLocation> ParseLocationString(std::string_view text) {
    if (text.size() < 5)
        return std::nullopt;
    std::string_view prefix = text.substr(0, 4);
    std::string path(text.substr(5));
    if (prefix == "HKCR")
        return RegistryLocation{RootKey::ClassesRoot, path};
    if (prefix == "HKLM")
        return RegistryLocation{RootKey::LocalMachine, path};
    if (prefix == "HKCU")
        return RegistryLocation{RootKey::CurrentUser, path};
    if (prefix == "HKLC")
        return RegistryLocation{RootKey::LocalMachine, WithDefaultIcon(kClassesClsid + path)};
    if (prefix == "HKCS")
        return RegistryLocation{RootKey::CurrentUser, WithDefaultIcon(kClassesClsid + path)};
    if (prefix == "HEXT")
        return RegistryLocation{RootKey::ClassesRoot, path + "\\DefaultIcon"};
    if (prefix == "HEXP")
        return RegistryLocation{RootKey::CurrentUser, WithDefaultIcon(kExplorerClsid + path)};
    return std::nullopt;
}

std::optional<RegistryValueRef> ValueForReading(std::string_view location) {
    if (location.empty() || location.front() == '.')
        return std::nullopt;
    if (location.front() == '{')
        return ClassIdentifierValue(location);
    std::optional<RegistryLocation> parsed = ParseLocationString(location);
    if (!parsed)
        return std::nullopt;
    auto [parent, last] = SplitLastPart(parsed->key);
    if (!parent.empty() && (EqualsNoCase(last, "Empty") || EqualsNoCase(last, "Full")))
        return RegistryValueRef{parsed->root, std::string(parent), std::string(last)};
    return RegistryValueRef{parsed->root, parsed->key, ""};
}

std::optional<RegistryValueRef> ValueForWriting(std::string_view location) {
    std::optional<RegistryLocation> parsed = ParseLocationString(location);
    if (!parsed)
        return std::nullopt;
    const std::string marker = "DefaultIcon\\";
    std::size_t at = parsed->key.find(marker);
    if (at == std::string::npos)
        return RegistryValueRef{parsed->root, parsed->key, ""};
    std::string value(SplitLastPart(parsed->key).second);
    return RegistryValueRef{parsed->root, parsed->key.substr(0, at + marker.size() - 1), value};
}

std::optional<std::string> ReadLocation(WindowsSystem& system, std::string_view location) {
    std::optional<RegistryValueRef> ref;
    if (!location.empty() && location.front() == '.') {
        std::string className;
        if (FAILED(system.ReadString(RootKey::ClassesRoot, location, "", &className)) ||
            className.empty())
            return std::nullopt;
        ref = RegistryValueRef{RootKey::ClassesRoot, className + "\\DefaultIcon", ""};
    } else {
        ref = ValueForReading(location);
    }
    std::string value;
    if (!ref || FAILED(system.ReadString(ref->root, ref->key, ref->valueName, &value)))
        return std::nullopt;
    return value;
}

IconLocation SplitIconLocation(std::string_view text) {
    std::size_t comma = text.rfind(',');
    if (comma == std::string_view::npos)
        return {std::string(text), 0};
    std::string_view number = text.substr(comma + 1);
    while (!number.empty() && (number.front() == ' ' || number.front() == '\t'))
        number.remove_prefix(1);
    bool negative = !number.empty() && number.front() == '-';
    if (!number.empty() && (number.front() == '-' || number.front() == '+'))
        number.remove_prefix(1);
    long long value = 0;
    for (char c : number) {
        if (c < '0' || c > '9')
            break;
        value = std::min<long long>(value * 10 + (c - '0'), INT_MAX);
    }
    return {std::string(text.substr(0, comma)), int(negative ? -value : value)};
}

std::string_view StripQuotes(std::string_view path) {
    if (!path.empty() && path.front() == '"')
        path.remove_prefix(1);
    if (!path.empty() && path.back() == '"')
        path.remove_suffix(1);
    return path;
}

std::string MakeTag(std::string_view displayName) {
    std::string tag;
    for (char c : displayName)
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')
            tag += c;
    return tag;
}

bool IsIconsetFile(std::string_view path) {
    return HasExtension(path, ".iconset");
}

bool IsZippedIconset(std::string_view path) {
    return HasExtension(path, ".iconzip") || HasExtension(path, ".zip");
}

} // namespace vellum
