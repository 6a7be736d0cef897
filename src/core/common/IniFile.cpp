// Reading and setting keys of profile (INI) text.
#include "common/IniFile.h"

#include "common/FileIo.h"
#include "common/Strings.h"

#include <cstdint>
#include <vector>

namespace vellum {

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
    std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

// One line of the text: where it starts, its content, and its end-of-line characters.
struct IniLine {
    std::size_t start = 0;
    std::string_view content;
    std::size_t end = 0; // after the end-of-line characters
};

std::vector<IniLine> SplitLines(std::string_view text) {
    std::vector<IniLine> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t eol = text.find_first_of("\r\n", pos);
        IniLine line;
        line.start = pos;
        if (eol == std::string_view::npos) {
            line.content = text.substr(pos);
            line.end = text.size();
        } else {
            line.content = text.substr(pos, eol - pos);
            line.end = eol + (text.compare(eol, 2, "\r\n") == 0 ? 2 : 1);
        }
        lines.push_back(line);
        pos = line.end;
    }
    return lines;
}

// The section a "[name]" line opens, or nothing for other lines.
bool SectionName(std::string_view content, std::string_view* name) {
    std::string_view trimmed = Trim(content);
    if (trimmed.empty() || trimmed.front() != '[')
        return false;
    std::size_t close = trimmed.find(']');
    if (close == std::string_view::npos)
        return false;
    *name = Trim(trimmed.substr(1, close - 1));
    return true;
}

bool IsKeyLine(std::string_view content, std::string_view key, std::string_view* value) {
    std::size_t equals = content.find('=');
    if (equals == std::string_view::npos || !EqualsNoCase(Trim(content.substr(0, equals)), key))
        return false;
    *value = Trim(content.substr(equals + 1));
    return true;
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::string_view LineEnding(std::string_view text) {
    std::size_t eol = text.find_first_of("\r\n");
    if (eol != std::string_view::npos && text.compare(eol, 2, "\r\n") != 0)
        return text.substr(eol, 1);
    return "\r\n";
}

// Where the section's lines are: the index of its header line and one past its last line that
// is not blank. Nothing found: header == lines.size().
struct SectionSpan {
    std::size_t header = 0;
    std::size_t lastContent = 0;
};

SectionSpan FindSection(const std::vector<IniLine>& lines, std::string_view section) {
    SectionSpan span{lines.size(), 0};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view name;
        if (SectionName(lines[i].content, &name)) {
            if (span.header != lines.size())
                break;
            if (EqualsNoCase(name, section))
                span = {i, i + 1};
        } else if (span.header != lines.size() && !Trim(lines[i].content).empty()) {
            span.lastContent = i + 1;
        }
    }
    return span;
}

} // namespace

std::string ReadIniText(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view fallback) {
    std::vector<IniLine> lines = SplitLines(text);
    SectionSpan span = FindSection(lines, section);
    for (std::size_t i = span.header + 1; i < span.lastContent; ++i) {
        std::string_view value;
        if (IsKeyLine(lines[i].content, key, &value))
            return std::string(Unquote(value));
    }
    return std::string(fallback);
}

std::optional<std::vector<IniEntry>> ReadIniSection(std::string_view text,
                                                    std::string_view section) {
    std::vector<IniLine> lines = SplitLines(text);
    SectionSpan span = FindSection(lines, section);
    if (span.header == lines.size())
        return std::nullopt;
    std::vector<IniEntry> entries;
    for (std::size_t i = span.header + 1; i < span.lastContent; ++i) {
        std::string_view content = Trim(lines[i].content);
        std::size_t equals = content.find('=');
        if (content.empty() || content.front() == ';' || content.front() == '#' ||
            equals == std::string_view::npos)
            continue;
        entries.push_back({std::string(Trim(content.substr(0, equals))),
                           std::string(Unquote(Trim(content.substr(equals + 1))))});
    }
    return entries;
}

std::string SetIniText(std::string_view text, std::string_view section, std::string_view key,
                       std::string_view value) {
    std::string_view eol = LineEnding(text);
    std::string entry = std::string(key) + "=" + std::string(value);
    std::vector<IniLine> lines = SplitLines(text);
    SectionSpan span = FindSection(lines, section);
    std::string out;
    if (span.header == lines.size()) {
        out = std::string(text);
        if (!out.empty() && out.back() != '\n' && out.back() != '\r')
            out += eol;
        return out + "[" + std::string(section) + "]" + std::string(eol) + entry + std::string(eol);
    }
    for (std::size_t i = span.header + 1; i < span.lastContent; ++i) {
        std::string_view old;
        if (IsKeyLine(lines[i].content, key, &old)) {
            std::size_t contentEnd = lines[i].start + lines[i].content.size();
            return std::string(text.substr(0, lines[i].start)) + entry +
                   std::string(text.substr(contentEnd));
        }
    }
    // A new key goes after the section's last non-blank line.
    const IniLine& last = lines[span.lastContent - 1];
    out = std::string(text.substr(0, last.end));
    if (last.end == last.start + last.content.size())
        out += eol; // the file's last line had no line end
    return out + entry + std::string(eol) + std::string(text.substr(last.end));
}

std::string ReadIniString(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view fallback) {
    std::vector<std::uint8_t> bytes;
    if (FAILED(ReadWholeFile(path, bytes)))
        return std::string(fallback);
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return ReadIniText(text, section, key, fallback);
}

HRESULT WriteIniString(const std::string& path, std::string_view section, std::string_view key,
                       std::string_view value) {
    std::vector<std::uint8_t> bytes;
    HRESULT hr = ReadWholeFile(path, bytes);
    if (FAILED(hr) && hr != HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) &&
        hr != HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND))
        return hr;
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::string updated = SetIniText(text, section, key, value);
    return ReplaceFileContents(path, updated.data(), updated.size());
}

} // namespace vellum
