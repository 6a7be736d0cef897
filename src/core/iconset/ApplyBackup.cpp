// ApplyBackup: saving registry values and shell files before an iconset overwrites them.
#include "iconset/ApplyBackup.h"

#include "common/CodePage.h"
#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/LocalTime.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "iconset/ApplyPlan.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <optional>

namespace vellum {

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kErrorInvalidData = 13;
// Registry keys nest at most 512 levels; Shell Icons subkeys hold a few values at most.
constexpr int kMaxKeyDepth = 32;
const char kSignature[] = "Windows Registry Editor Version 5.00";
const char kAppliedNote[] = "Registry values as they were before Vellum applied the iconset";
const char kRestoredNote[] = "Registry values as they were before Vellum restored the backup";

std::string Timestamp() {
    std::tm local = LocalTimeNow();
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

// A string as a .reg file quotes it: backslashes and quotes escaped.
std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

// hex(n): the UTF-16LE bytes of the text and its terminating zero, as regedit writes strings
// that cannot be quoted (line breaks) or are not plain REG_SZ.
std::string HexString(std::string_view text, std::uint32_t type) {
    std::string out = Format("hex(%u):", type);
    std::u16string units = Utf8ToUtf16(text);
    units += u'\0';
    for (std::size_t i = 0; i < units.size(); ++i)
        out +=
            Format("%s%02x,%02x", i ? "," : "", unsigned(units[i] & 0xFF), unsigned(units[i] >> 8));
    return out;
}

std::string FileNameOfWindowsPath(std::string_view path) {
    std::size_t slash = path.find_last_of("\\/");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

} // namespace

std::string_view RootKeyName(RootKey root) {
    switch (root) {
    case RootKey::ClassesRoot:
        return "HKEY_CLASSES_ROOT";
    case RootKey::CurrentUser:
        return "HKEY_CURRENT_USER";
    case RootKey::LocalMachine:
        return "HKEY_LOCAL_MACHINE";
    case RootKey::Users:
        return "HKEY_USERS";
    }
    return "HKEY_CLASSES_ROOT";
}

std::string ValueDescription(RootKey root, std::string_view key, std::string_view valueName) {
    std::string name = valueName.empty() ? "@" : "\"" + std::string(valueName) + "\"";
    return std::string(RootKeyName(root)) + "\\" + std::string(key) + " " + name;
}

void ApplyResult::Record(HRESULT hr, const std::string& what) {
    if (SUCCEEDED(hr))
        done.push_back(what);
    else
        failed.push_back(what + Format(" (error 0x%08X)", unsigned(hr)));
}

HRESULT ApplyBackup::NewFolder(const std::string& parent, std::string* folder) {
    HRESULT hr = CreateFolders(parent);
    if (FAILED(hr))
        return hr;
    std::string stamp = Timestamp();
    for (int n = 1; n < 1000; ++n) {
        std::string candidate =
            JoinPath(parent, n == 1 ? stamp : Format("%s-%d", stamp.c_str(), n));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            *folder = WithTrailingSeparator(candidate);
            return S_OK;
        }
        if (ec)
            return HResultFromErrno(ec.value());
    }
    return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
}

bool RegistryKeyExists(WindowsSystem& system, RootKey root, const std::string& key) {
    std::vector<std::string> names;
    if (SUCCEEDED(system.EnumerateValues(root, key, &names)))
        return true;
    return SUCCEEDED(system.EnumerateSubkeys(root, key, &names)) && !names.empty();
}

HRESULT ApplyBackup::Create(const std::string& folder, const std::string& note, BackupCause cause) {
    folder_ = WithTrailingSeparator(folder);
    note_ = note;
    cause_ = cause;
    return CreateFolders(folder_ + "files");
}

// "[-ROOT\key]": importing deletes the key, which did not exist.
void ApplyBackup::AddMissingKey(RootKey root, const std::string& key) {
    std::string header = "[-" + std::string(RootKeyName(root)) + "\\" + key + "]";
    for (const auto& section : sections_)
        if (EqualsNoCase(section.first, header))
            return;
    sections_.push_back({header, {}});
}

void ApplyBackup::AddLine(RootKey root, const std::string& key, const std::string& line) {
    std::string header = "[" + std::string(RootKeyName(root)) + "\\" + key + "]";
    for (auto& [name, lines] : sections_)
        if (EqualsNoCase(name, header)) {
            lines.push_back(line);
            return;
        }
    sections_.push_back({header, {line}});
}

std::string ApplyBackup::ValueLine(const std::string& valueName, const std::string& text,
                                   std::uint32_t type) const {
    std::string name = valueName.empty() ? "@" : Quoted(valueName);
    bool plain = type == kRegSz && text.find_first_of("\r\n") == std::string::npos;
    return name + "=" + (plain ? Quoted(text) : HexString(text, type));
}

HRESULT ApplyBackup::SaveValue(RootKey root, const std::string& key, const std::string& valueName) {
    std::string id = ToUpperAscii(std::string(RootKeyName(root)) + "\\" + key + "\\" + valueName);
    if (!savedValues_.insert(id).second)
        return S_OK;
    std::string text;
    HRESULT hr = system_.ReadString(root, key, valueName, &text);
    if (hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) {
        if (RegistryKeyExists(system_, root, key))
            AddLine(root, key, (valueName.empty() ? "@" : Quoted(valueName)) + "=-");
        else
            AddMissingKey(root, key);
        return S_OK;
    }
    std::uint32_t type = kRegSz;
    if (SUCCEEDED(hr) && FAILED(system_.ReadValueType(root, key, valueName, &type)))
        type = kRegSz;
    if (FAILED(hr) || (type != kRegSz && type != kRegExpandSz)) {
        savedValues_.erase(id);
        return FAILED(hr) ? hr : HRESULT_FROM_WIN32(kErrorInvalidData);
    }
    AddLine(root, key, ValueLine(valueName, text, type));
    return S_OK;
}

HRESULT ApplyBackup::SaveKey(RootKey root, const std::string& key) {
    // Built aside, so that a key that cannot be saved whole leaves no partial record.
    auto sections = sections_;
    auto saved = savedValues_;
    HRESULT hr = SaveKeyLevel(root, key, 0);
    if (FAILED(hr)) {
        sections_ = std::move(sections);
        savedValues_ = std::move(saved);
    }
    return hr;
}

HRESULT ApplyBackup::SaveKeyState(RootKey root, const std::string& key) {
    if (RegistryKeyExists(system_, root, key))
        return SaveKey(root, key);
    AddMissingKey(root, key);
    return S_OK;
}

HRESULT ApplyBackup::SaveKeyLevel(RootKey root, const std::string& key, int depth) {
    if (depth > kMaxKeyDepth)
        return HRESULT_FROM_WIN32(kErrorInvalidData);
    std::vector<std::string> names;
    if (FAILED(system_.EnumerateValues(root, key, &names)))
        names.clear();
    std::string header = "[" + std::string(RootKeyName(root)) + "\\" + key + "]";
    sections_.push_back({header, {}}); // the key itself, even without values
    for (const std::string& name : names) {
        HRESULT hr = SaveValue(root, key, name);
        if (FAILED(hr))
            return hr;
    }
    std::vector<std::string> subkeys;
    if (FAILED(system_.EnumerateSubkeys(root, key, &subkeys)))
        subkeys.clear();
    for (const std::string& subkey : subkeys) {
        HRESULT hr = SaveKeyLevel(root, key + "\\" + subkey, depth + 1);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT ApplyBackup::SaveFile(const std::string& windowsPath) {
    std::string host = system_.ToHostPath(windowsPath);
    std::error_code ec;
    if (host.empty() || !fs::is_regular_file(host, ec)) {
        fileLines_.push_back(windowsPath + "\t(did not exist)");
        return S_OK;
    }
    std::string copy = Format("%02d %s", ++fileCount_,
                              MakeSafeFileName(FileNameOfWindowsPath(windowsPath)).c_str());
    HRESULT hr = system_.SaveFileCopy(windowsPath, JoinPath(folder_ + "files", copy));
    if (FAILED(hr))
        return hr;
    fileLines_.push_back(windowsPath + "\tfiles\\" + copy);
    return S_OK;
}

HRESULT ApplyBackup::Finish() {
    std::string reg = std::string(kSignature) + "\r\n\r\n; " +
                      (cause_ == BackupCause::Apply ? kAppliedNote : kRestoredNote) + "\r\n; " +
                      note_ +
                      "\r\n; Import this file with regedit to put them back. \"name\"=- marks a "
                      "value that did not exist, [-key] a key.\r\n";
    for (const auto& [header, lines] : sections_) {
        reg += "\r\n" + header + "\r\n";
        for (const std::string& line : lines)
            reg += line + "\r\n";
    }
    std::u16string units = u"\uFEFF" + Utf8ToUtf16(reg);
    std::vector<std::uint8_t> bytes;
    for (char16_t unit : units) {
        bytes.push_back(std::uint8_t(unit & 0xFF));
        bytes.push_back(std::uint8_t(unit >> 8));
    }
    HRESULT hr = ReplaceFileContents(folder_ + "registry.reg", bytes.data(), bytes.size());
    std::string files;
    for (const std::string& line : fileLines_)
        files += line + "\r\n";
    if (SUCCEEDED(hr))
        hr = ReplaceFileContents(folder_ + "files.txt", files.data(), files.size());
    return hr;
}

// ---- reading registry.reg and files.txt ------------------------------------------------------

namespace {

constexpr const char* kModule = trail::kIconset;
const char kDidNotExist[] = "(did not exist)";
const char kCopyFolder[] = "files\\";

HRESULT Refuse(const char* file, std::size_t line, const char* what) {
    ReportError(kModule, __LINE__, HRESULT_FROM_WIN32(kErrorInvalidData), "%s, line %zu: %s\n",
                file, line, what);
    return HRESULT_FROM_WIN32(kErrorInvalidData);
}

// UTF-16LE after a byte-order mark; unpaired surrogates and U+0000 do not decode.
std::optional<std::string> DecodeUtf16File(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 2 || bytes.size() % 2 || bytes[0] != 0xFF || bytes[1] != 0xFE)
        return std::nullopt;
    std::u16string units = Utf16FromLittleEndian(bytes.data() + 2, bytes.size() / 2 - 1);
    for (std::size_t i = 0; i < units.size(); ++i) {
        char16_t u = units[i];
        if (u == 0 || IsLowSurrogate(u))
            return std::nullopt;
        if (IsHighSurrogate(u) && (++i == units.size() || !IsLowSurrogate(units[i])))
            return std::nullopt;
    }
    return Utf16ToUtf8(units);
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

std::optional<RootKey> RootKeyOfName(std::string_view name) {
    for (RootKey root :
         {RootKey::ClassesRoot, RootKey::CurrentUser, RootKey::LocalMachine, RootKey::Users})
        if (EqualsNoCase(name, RootKeyName(root)))
            return root;
    return std::nullopt;
}

// "[ROOT\key]" or "[-ROOT\key]": a known root and a key of non-empty parts.
bool ParseSectionLine(std::string_view line, SavedKey* key) {
    if (line.size() < 3 || line.back() != ']')
        return false;
    std::string_view inner = line.substr(1, line.size() - 2);
    key->existed = inner.front() != '-';
    if (!key->existed)
        inner.remove_prefix(1);
    std::size_t slash = inner.find('\\');
    std::optional<RootKey> root = RootKeyOfName(inner.substr(0, slash));
    if (!root || slash == std::string_view::npos)
        return false;
    key->root = *root;
    key->key = std::string(inner.substr(slash + 1));
    return !key->key.empty() && key->key.front() != '\\' && key->key.back() != '\\' &&
           key->key.find("\\\\") == std::string::npos && !HasControlCharacter(key->key);
}

// A quoted string with \\ and \" escaped; returns the index just past the closing quote.
std::optional<std::size_t> ParseQuoted(std::string_view text, std::string* out) {
    out->clear();
    if (text.empty() || text.front() != '"')
        return std::nullopt;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == '"')
            return i + 1;
        if (text[i] == '\\') {
            if (++i == text.size() || (text[i] != '\\' && text[i] != '"'))
                return std::nullopt;
        }
        *out += text[i];
    }
    return std::nullopt;
}

// hex(n):xx,xx,... : the UTF-16LE bytes of a string and its terminating zero.
bool ParseHexString(std::string_view hex, std::string* text) {
    std::vector<std::uint8_t> bytes = {0xFF, 0xFE};
    for (std::size_t i = 0; i < hex.size(); i += 3) {
        if (i + 2 > hex.size() || HexDigitValue(hex[i]) < 0 || HexDigitValue(hex[i + 1]) < 0 ||
            (i + 2 < hex.size() && hex[i + 2] != ','))
            return false;
        bytes.push_back(std::uint8_t(HexDigitValue(hex[i]) * 16 + HexDigitValue(hex[i + 1])));
    }
    if (bytes.size() < 4 || bytes.size() % 2 || bytes[bytes.size() - 1] || bytes[bytes.size() - 2])
        return false;
    bytes.resize(bytes.size() - 2);
    std::optional<std::string> decoded = bytes.size() == 2 ? std::string() : DecodeUtf16File(bytes);
    if (!decoded)
        return false;
    *text = std::move(*decoded);
    return true;
}

// '@' or a quoted name, '=', then '-', a quoted string, or hex(1) / hex(2) (already joined from
// its continuation lines).
bool ParseValueLine(std::string_view line, SavedValue* value) {
    std::size_t at = 1;
    value->name.clear();
    if (line.front() == '"') {
        std::optional<std::size_t> end = ParseQuoted(line, &value->name);
        if (!end)
            return false;
        at = *end;
    }
    if (at >= line.size() || line[at] != '=')
        return false;
    std::string_view data = line.substr(at + 1);
    if (data == "-") {
        value->existed = false;
        return true;
    }
    if (data.substr(0, 7) == "hex(1):" || data.substr(0, 7) == "hex(2):") {
        value->type = data[4] == '1' ? 1 : 2;
        return ParseHexString(data.substr(7), &value->text);
    }
    std::optional<std::size_t> end = ParseQuoted(data, &value->text);
    return end && *end == data.size();
}

// A value line and the lines a trailing backslash continues it on, joined.
std::string JoinContinuations(const std::vector<std::string_view>& lines, std::size_t& i) {
    std::string joined(lines[i]);
    while (!joined.empty() && joined.back() == '\\' && i + 1 < lines.size()) {
        joined.pop_back();
        std::string_view next = lines[++i];
        joined += next.substr(std::min(next.find_first_not_of(' '), next.size()));
    }
    return joined;
}

} // namespace

HRESULT ReadSavedRegistry(const std::vector<std::uint8_t>& bytes, SavedState* state) {
    const char* file = "registry.reg";
    std::optional<std::string> text = DecodeUtf16File(bytes);
    if (!text)
        return Refuse(file, 1, "not UTF-16 text with a byte-order mark");
    std::vector<std::string_view> lines = SplitLines(*text);
    if (lines.empty() || lines[0] != kSignature)
        return Refuse(file, 1, "not a registry file of regedit version 5");
    SavedState read;
    int comments = 0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (line.empty())
            continue;
        if (line.front() == ';') {
            if (read.keys.empty() && ++comments == 2)
                read.note = std::string(line.substr(std::min<std::size_t>(2, line.size())));
        } else if (line.front() == '[') {
            SavedKey key;
            if (!ParseSectionLine(line, &key))
                return Refuse(file, i + 1, "an unreadable key");
            read.keys.push_back(std::move(key));
        } else if (line.front() == '@' || line.front() == '"') {
            std::size_t first = i;
            SavedValue value;
            if (!ParseValueLine(JoinContinuations(lines, i), &value))
                return Refuse(file, first + 1, "not a string value, or an unreadable one");
            if (read.keys.empty() || !read.keys.back().existed)
                return Refuse(file, first + 1, "a value outside a key");
            read.keys.back().values.push_back(std::move(value));
        } else {
            return Refuse(file, i + 1, "a line of unknown form");
        }
    }
    state->note = std::move(read.note);
    state->keys = std::move(read.keys);
    return S_OK;
}

std::string ReadSavedNote(const std::vector<std::uint8_t>& bytes) {
    std::optional<std::string> text = DecodeUtf16File(bytes);
    if (!text)
        return {};
    std::vector<std::string_view> lines = SplitLines(*text);
    int comments = 0;
    for (std::size_t i = 1; i < lines.size() && (lines[i].empty() || lines[i][0] == ';'); ++i)
        if (!lines[i].empty() && ++comments == 2)
            return std::string(lines[i].substr(std::min<std::size_t>(2, lines[i].size())));
    return {};
}

namespace {

// "C:\folder\Desktop.ini": a drive, parts that are neither empty nor "." or "..", and the name
// of a file applying changes.
bool IsShellFilePath(std::string_view path) {
    if (path.size() < 4 || path[1] != ':' || path[2] != '\\' || HasControlCharacter(path) ||
        !((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
        return false;
    std::string_view rest = path.substr(3);
    std::string_view name;
    while (true) {
        std::size_t slash = rest.find_first_of("\\/");
        name = rest.substr(0, slash);
        if (name.empty() || name == "." || name == "..")
            return false;
        if (slash == std::string_view::npos)
            break;
        rest.remove_prefix(slash + 1);
    }
    return EqualsNoCase(name, "Desktop.ini") || HasExtension(name, ".scf") ||
           HasExtension(name, ".lnk");
}

bool IsPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("\\/:") == std::string_view::npos && !HasControlCharacter(name);
}

// Well-formed UTF-8: no stray continuation bytes, overlong forms, surrogates or code points
// past U+10FFFF.
bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i++]);
        int extra = c < 0x80                ? 0
                    : c >= 0xC2 && c < 0xE0 ? 1
                    : c >= 0xE0 && c < 0xF0 ? 2
                    : c >= 0xF0 && c < 0xF5 ? 3
                                            : -1;
        if (extra < 0 || i + std::size_t(extra) > text.size())
            return false;
        std::uint32_t cp = c & (0x7F >> extra);
        for (int k = 0; k < extra; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i++]);
            if ((next & 0xC0) != 0x80)
                return false;
            cp = cp << 6 | (next & 0x3F);
        }
        if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
    }
    return true;
}

} // namespace

HRESULT ReadSavedFiles(std::string_view text, SavedState* state) {
    const char* file = "files.txt";
    if (!IsUtf8(text))
        return Refuse(file, 1, "not UTF-8 text");
    std::vector<SavedFile> files;
    std::vector<std::string_view> lines = SplitLines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (line.empty())
            continue;
        std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos || line.find('\t', tab + 1) != std::string_view::npos)
            return Refuse(file, i + 1, "not a path and a copy separated by a tab");
        SavedFile saved{std::string(line.substr(0, tab)), std::string()};
        std::string_view copy = line.substr(tab + 1);
        if (!IsShellFilePath(saved.windowsPath))
            return Refuse(file, i + 1, "not the path of a Desktop.ini, .scf or .lnk file");
        if (copy != kDidNotExist) {
            if (copy.substr(0, sizeof kCopyFolder - 1) != kCopyFolder ||
                !IsPlainFileName(copy.substr(sizeof kCopyFolder - 1)))
                return Refuse(file, i + 1, "a copy that is not a plain file name in files\\");
            saved.copy = std::string(copy.substr(sizeof kCopyFolder - 1));
        }
        files.push_back(std::move(saved));
    }
    state->files = std::move(files);
    return S_OK;
}

} // namespace vellum
