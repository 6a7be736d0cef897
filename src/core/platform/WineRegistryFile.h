// WineRegistryFile: one of Wine's registry text files (system.reg, user.reg), read and edited
// line by line so that everything the program does not change stays byte for byte.
//
// The format, as wineserver saves it:
//   WINE REGISTRY Version 2
//   ;; All keys relative to \\Machine
//   #arch=win64
//
//   [Software\\Classes\\.txt] 1700000000        key path with "\\" between parts, save time
//   #time=1da1b2c3d4e5f60                       optional metadata lines start with '#'
//   @="txtfile"                                 the default value
//   "Content Type"="text/plain"                 REG_SZ
//   "Path"=str(2):"%SystemRoot%\\system32"      REG_EXPAND_SZ (str(n) for other string types)
//   "Flags"=dword:00000001                      REG_DWORD
//   "Data"=hex(7):41,00,00,00,\                 binary types; a trailing '\' continues the
//     00,00                                     value on the next line
// Names and strings escape '\\', '"', control characters (\n, \r, \t, \a, \b, \e, \f, \v,
// octal \0..) and every UTF-16 unit outside ASCII as \x followed by up to four hex digits; key
// names also escape '[' and ']'.
#pragma once

#include "common/Result.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vellum {

class WineRegistryFile {
public:
    // A value as the file holds it: its type (1 REG_SZ, 2 REG_EXPAND_SZ, 4 REG_DWORD, 3 and
    // others binary) and, for string types, the decoded UTF-8 text.
    struct Value {
        std::string name;
        int type = 1;
        std::string text;
    };

    // Reads and parses the file. A file that is not in the format above is refused: the error
    // is reported with its line number, and the object stays empty.
    HRESULT Load(const std::string& path);
    // Parses text already in memory (the path is only used in messages and by Save).
    HRESULT Parse(const std::string& path, std::string text);

    bool HasKey(std::string_view key) const;
    std::optional<Value> FindValue(std::string_view key, std::string_view name) const;
    std::vector<Value> Values(std::string_view key) const;
    // The direct subkeys of a key (of the root for an empty key), in file order, each once.
    std::vector<std::string> Subkeys(std::string_view key) const;

    // Edits in memory; Save writes the result. Setting a value creates its key when missing and
    // replaces a value of the name in its own place; `type` 1 is written as a plain quoted
    // string, other string types as str(n):"...".
    void SetString(std::string_view key, std::string_view name, std::string_view text,
                   int type = 1);
    // Removes the value's lines; the key stays, as do the other values.
    void DeleteValue(std::string_view key, std::string_view name);
    void CreateKey(std::string_view key);
    // Removes the key and every key below it.
    void DeleteKey(std::string_view key);

    // Writes the lines through a temporary file and a rename, so a failure loses nothing.
    HRESULT Save() const;
    const std::string& Text() const { return text_; }

private:
    struct Section {
        std::string key;    // decoded, single backslashes
        std::size_t header; // line index of "[...]"
        std::size_t end;    // first line of the next section, or the line count
    };
    struct ValueLines {
        Value value;
        std::size_t first;
        std::size_t end;
    };

    HRESULT Reparse();
    HRESULT ParseSectionLines(std::size_t section);
    const Section* FindSection(std::string_view key) const;
    std::vector<ValueLines> ValuesOf(const Section& section) const;
    void Rebuild(std::vector<std::string> lines);
    std::vector<std::string> NewSectionLines(std::string_view key) const;
    std::string SpelledKey(std::string_view key) const;

    std::string path_;
    std::string text_;
    std::string newline_ = "\n";
    std::vector<std::string> lines_;
    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> byKey_; // upper-case key -> section
};

// Escaping used by the file format, exposed for tests.
std::string EscapeRegistryText(std::string_view utf8, bool isKey);
// Decodes an escaped string starting after its opening quote (or '['); stops at the unescaped
// `terminator` and returns the index just past it, or nothing when there is none.
std::optional<std::size_t> UnescapeRegistryText(std::string_view text, char terminator,
                                                std::string* utf8);

} // namespace vellum
