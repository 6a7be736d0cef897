#include "Path.h"

#include "Strings.h"

#include <filesystem>
#include <system_error>

namespace vellum {

PathParts SplitPath(std::string_view path) {
    PathParts parts;
    if (path.size() >= 2 && path[1] == ':') {
        parts.drive = std::string(path.substr(0, 2));
        path.remove_prefix(2);
    }
    std::size_t lastSep = std::string_view::npos;
    for (std::size_t i = 0; i < path.size(); ++i)
        if (IsPathSeparator(path[i]))
            lastSep = i;
    std::string_view name = path;
    if (lastSep != std::string_view::npos) {
        parts.dir = std::string(path.substr(0, lastSep + 1));
        name = path.substr(lastSep + 1);
    }
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        parts.fname = std::string(name);
    } else {
        parts.fname = std::string(name.substr(0, dot));
        parts.ext = std::string(name.substr(dot));
    }
    return parts;
}

std::string WithTrailingSeparator(std::string_view folder) {
    std::string out(folder);
    if (!out.empty() && !IsPathSeparator(out.back()))
        out += kPathSeparator;
    return out;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    while (!name.empty() && IsPathSeparator(name.front()))
        name.remove_prefix(1);
    return WithTrailingSeparator(folder) + std::string(name);
}

bool HasExtension(std::string_view path, std::string_view ext) {
    return EqualsNoCase(SplitPath(path).ext, ext);
}

std::string_view FileNameOf(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (IsPathSeparator(path[i - 1]))
            return path.substr(i);
    return path;
}

std::string ToHostPath(std::string_view path) {
    std::string out(path);
    for (char& c : out)
        if (IsPathSeparator(c))
            c = kPathSeparator;
    return out;
}

namespace {

bool IsForbiddenInFileName(unsigned char c) {
    return c < 0x20 || std::string_view("\\/:*?\"<>|").find(char(c)) != std::string_view::npos;
}

// CON, PRN, AUX, NUL, COM1-COM9 and LPT1-LPT9, alone or before an extension.
bool IsDeviceName(std::string_view name) {
    std::string_view stem = name.substr(0, name.find('.'));
    std::string upper = ToUpperAscii(stem);
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL")
        return true;
    return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) &&
           upper[3] >= '1' && upper[3] <= '9';
}

// The entry of `dir` whose name equals `component` ignoring case, preferring an exact match.
std::string MatchComponent(const std::string& dir, std::string_view component) {
    std::error_code ec;
    std::string exact = JoinPath(dir, component);
    if (std::filesystem::exists(exact, ec))
        return std::string(component);
    for (std::filesystem::directory_iterator it(dir.empty() ? "." : dir, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (EqualsNoCase(name, component))
            return name;
    }
    return std::string(component);
}

} // namespace

std::string MakeSafeFileName(std::string_view name) {
    std::string safe(name);
    for (char& c : safe)
        if (IsForbiddenInFileName(static_cast<unsigned char>(c)))
            c = '_';
    if (!safe.empty() && (safe.back() == '.' || safe.back() == ' '))
        safe.back() = '_';
    if (safe.empty() || safe == "." || IsDeviceName(safe))
        safe.insert(0, 1, '_');
    return safe;
}

std::optional<std::string> ResolveInFolder(std::string_view folder, std::string_view relative) {
    if (relative.empty() || IsPathSeparator(relative.front()) ||
        (relative.size() >= 2 && relative[1] == ':'))
        return std::nullopt;
    std::string current = WithTrailingSeparator(folder);
    std::string result = current;
    bool any = false;
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t end = start;
        while (end < relative.size() && !IsPathSeparator(relative[end]))
            ++end;
        std::string_view component = relative.substr(start, end - start);
        start = end + 1;
        if (component.empty() || component == ".")
            continue;
        if (component == "..")
            return std::nullopt;
        std::string matched = MatchComponent(current, component);
        current = JoinPath(current, matched);
        result = current;
        any = true;
        if (end < relative.size())
            current += kPathSeparator;
    }
    if (!any)
        return std::nullopt;
    return result;
}

} // namespace vellum
