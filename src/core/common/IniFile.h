// Profile (INI) files as Windows reads and writes them: Desktop.ini of special folders and the
// shell command files (.SCF) of the Quick Launch bar.
//
//   [Section]
//   Key=Value
//
// Section and key names compare without case; blanks around names and values do not count, and
// a value enclosed in a pair of double (or single) quotes loses them when read. Lines that are
// neither a section nor a key (comments, blank lines) are kept as they are when writing.
#pragma once

#include "common/Result.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellum {

// The value, or `fallback` when the file, the section or the key is missing.
std::string ReadIniString(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view fallback = {});

// Sets the key, adding the section and the key when missing and creating the file when it does
// not exist (lines end in CR LF, or as the file's first line does). The file is replaced through
// a temporary file, so a failed write leaves the old one.
HRESULT WriteIniString(const std::string& path, std::string_view section, std::string_view key,
                       std::string_view value);

// The same on text in memory, for callers that hold the file themselves.
std::string ReadIniText(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view fallback = {});
std::string SetIniText(std::string_view text, std::string_view section, std::string_view key,
                       std::string_view value);

// One "Key=Value" line of a section, blanks and quotes removed as ReadIniText removes them.
struct IniEntry {
    std::string key;
    std::string value;
};

// Every key line of the first section of that name, in file order; lines starting with ';' or
// '#' are comments. Nothing when the text has no such section.
std::optional<std::vector<IniEntry>> ReadIniSection(std::string_view text,
                                                    std::string_view section);

} // namespace vellum
