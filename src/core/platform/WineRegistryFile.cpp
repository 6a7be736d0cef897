// WineRegistryFile: parsing and line-preserving edits of Wine's registry text files.
#include "platform/WineRegistryFile.h"

#include "common/CodePage.h"
#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Strings.h"
#include "common/TrailModules.h"

#include <ctime>

namespace vellum {

namespace {

constexpr const char* kModule = trail::kWinePrefix;
const char kSignature[] = "WINE REGISTRY Version 2";
constexpr std::uint64_t kUnixEpochInFileTime = 11644473600ull; // seconds from 1601 to 1970

std::string_view WithoutCr(std::string_view line) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

bool IsBlank(std::string_view line) {
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

// Collects UTF-16 units from \x escapes and joins surrogate pairs.
struct Utf16Sink {
    std::string& out;
    std::uint32_t high = 0;
    void Unit(std::uint32_t unit) {
        if (high && unit >= 0xDC00 && unit <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
            high = 0;
            return;
        }
        Flush();
        if (unit >= 0xD800 && unit <= 0xDBFF)
            high = unit;
        else
            AppendUtf8(out, unit);
    }
    void Flush() {
        if (high)
            AppendUtf8(out, high);
        high = 0;
    }
};

// One code point of UTF-8 text; a byte that starts no valid sequence stands for itself.
std::uint32_t NextCodePoint(std::string_view text, std::size_t& i) {
    unsigned char c = static_cast<unsigned char>(text[i++]);
    int extra = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (c < 0x80 || extra == 0 || i + std::size_t(extra) > text.size())
        return c;
    std::uint32_t cp = c & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        unsigned char next = static_cast<unsigned char>(text[i + std::size_t(k)]);
        if ((next & 0xC0) != 0x80)
            return c;
        cp = cp << 6 | (next & 0x3F);
    }
    i += std::size_t(extra);
    return cp;
}

bool ParseHexList(std::string_view data) {
    return data.find_first_not_of("0123456789abcdefABCDEF, \t\\") == std::string_view::npos;
}

// The value part after "name=": string types, dword or hex. Sets the type and, for strings,
// the text; false when the data is none of these.
bool ParseData(std::string_view data, WineRegistryFile::Value* value) {
    int type = 1;
    if (data.substr(0, 4) == "str(") {
        std::size_t close = data.find("):");
        if (close == std::string_view::npos || close == 4)
            return false;
        type = 0;
        for (char c : data.substr(4, close - 4)) {
            if (HexDigitValue(c) < 0 || type > 0xFFFF)
                return false;
            type = type * 16 + HexDigitValue(c);
        }
        data.remove_prefix(close + 2);
    }
    if (!data.empty() && data.front() == '"') {
        std::optional<std::size_t> end = UnescapeRegistryText(data.substr(1), '"', &value->text);
        value->type = type;
        return end && IsBlank(data.substr(1 + *end));
    }
    if (data.substr(0, 6) == "dword:") {
        value->type = 4;
        return data.size() >= 14 && ParseHexList(data.substr(6));
    }
    if (data.substr(0, 4) == "hex:" || data.substr(0, 4) == "hex(") {
        std::size_t colon = data.find(':');
        value->type = 3;
        return ParseHexList(data.substr(colon + 1));
    }
    return false;
}

// A value line: '@' or a quoted name, '=', the data. Sets *name and *value.
bool ParseValueLine(std::string_view line, WineRegistryFile::Value* value) {
    std::size_t at = 0;
    value->name.clear();
    if (line.front() == '@') {
        at = 1;
    } else {
        std::optional<std::size_t> end = UnescapeRegistryText(line.substr(1), '"', &value->name);
        if (!end)
            return false;
        at = 1 + *end;
    }
    if (at >= line.size() || line[at] != '=')
        return false;
    return ParseData(line.substr(at + 1), value);
}

// "[escaped key] 1700000000": the key, then nothing but spaces and digits.
std::optional<std::string> ParseKeyLine(std::string_view line) {
    std::string key;
    std::optional<std::size_t> end = UnescapeRegistryText(line.substr(1), ']', &key);
    if (!end || line.substr(1 + *end).find_first_not_of(" \t0123456789") != std::string_view::npos)
        return std::nullopt;
    return key;
}

std::string UpperKey(std::string_view key) {
    return ToUpperAscii(key);
}

bool IsKeyOrBelow(std::string_view candidate, std::string_view key) {
    return EqualsNoCase(candidate, key) ||
           (candidate.size() > key.size() && candidate[key.size()] == '\\' &&
            EqualsNoCase(candidate.substr(0, key.size()), key));
}

} // namespace

std::optional<std::size_t> UnescapeRegistryText(std::string_view text, char terminator,
                                                std::string* utf8) {
    utf8->clear();
    Utf16Sink sink{*utf8};
    static const std::string_view kLetters = "abtnvfre";
    static const char kControls[] = {'\a', '\b', '\t', '\n', '\v', '\f', '\r', '\x1b'};
    for (std::size_t i = 0; i < text.size();) {
        char c = text[i++];
        if (c == terminator) {
            sink.Flush();
            return i;
        }
        if (c != '\\' || i == text.size()) {
            sink.Flush();
            *utf8 += c;
            continue;
        }
        char e = text[i++];
        std::uint32_t unit = 0;
        if (std::size_t k = kLetters.find(e); k != std::string_view::npos) {
            unit = std::uint8_t(kControls[k]);
        } else if (e >= '0' && e <= '7') {
            unit = std::uint32_t(e - '0');
            for (int n = 0; n < 2 && i < text.size() && text[i] >= '0' && text[i] <= '7'; ++n)
                unit = unit * 8 + std::uint32_t(text[i++] - '0');
        } else if (e == 'x' && i < text.size() && HexDigitValue(text[i]) >= 0) {
            for (int n = 0; n < 4 && i < text.size() && HexDigitValue(text[i]) >= 0; ++n)
                unit = unit * 16 + std::uint32_t(HexDigitValue(text[i++]));
        } else {
            unit = static_cast<unsigned char>(e);
            if (unit >= 0x80) { // a raw UTF-8 byte after a backslash: keep it as it is
                sink.Flush();
                *utf8 += e;
                continue;
            }
        }
        sink.Unit(unit);
    }
    return std::nullopt;
}

// As wineserver writes strings: a unit past ASCII as \x and its hex digits, four of them only
// when an ASCII hex digit follows (so that it is not read as part of the number); a control
// character as its C letter (\a \b \t \n \v \f \r \e) or in octal, three digits only when an
// octal digit follows; DEL as it is.
std::string EscapeRegistryText(std::string_view utf8, bool isKey) {
    std::vector<std::uint32_t> units;
    for (std::size_t i = 0; i < utf8.size();) {
        std::uint32_t cp = NextCodePoint(utf8, i);
        if (cp >= 0x10000) {
            units.push_back(0xD800 + ((cp - 0x10000) >> 10));
            units.push_back(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            units.push_back(cp);
        }
    }
    static const char kLetters[] = ".......abtnvfr.............e....";
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        std::uint32_t unit = units[i];
        std::uint32_t next = i + 1 < units.size() ? units[i + 1] : 0;
        if (unit > 127) {
            bool hexFollows = next < 128 && HexDigitValue(char(next)) >= 0;
            out += Format(hexFollows ? "\\x%04x" : "\\x%x", unit);
        } else if (unit < 32 && kLetters[unit] != '.') {
            out += '\\';
            out += kLetters[unit];
        } else if (unit < 32) {
            out += Format(next >= '0' && next <= '7' ? "\\%03o" : "\\%o", unit);
        } else {
            if (unit == '\\' || (!isKey && unit == '"') || (isKey && (unit == '[' || unit == ']')))
                out += '\\';
            out += char(unit);
        }
    }
    return out;
}

HRESULT WineRegistryFile::Load(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    HRESULT hr = ReadWholeFile(path, bytes);
    if (FAILED(hr)) {
        *this = WineRegistryFile();
        return hr;
    }
    return Parse(path, std::string(bytes.begin(), bytes.end()));
}

HRESULT WineRegistryFile::Parse(const std::string& path, std::string text) {
    path_ = path;
    text_ = std::move(text);
    newline_ = text_.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    lines_.clear();
    for (std::size_t start = 0;;) {
        std::size_t end = text_.find('\n', start);
        lines_.push_back(text_.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    HRESULT hr = Reparse();
    if (FAILED(hr)) {
        lines_.clear();
        sections_.clear();
        byKey_.clear();
    }
    return hr;
}

HRESULT WineRegistryFile::Reparse() {
    sections_.clear();
    byKey_.clear();
    if (WithoutCr(lines_[0]) != kSignature) {
        ReportError(kModule, __LINE__, E_FAIL, "%s is not a Wine registry file.\n", path_.c_str());
        return E_FAIL;
    }
    // A file that ends in a newline splits into a last empty line that belongs to no section.
    std::size_t count = lines_.size() - (lines_.back().empty() ? 1 : 0);
    for (std::size_t i = 1; i < count; ++i) {
        std::string_view line = WithoutCr(lines_[i]);
        if (line.empty() || line[0] != '[')
            continue;
        std::optional<std::string> key = ParseKeyLine(line);
        if (!key) {
            ReportError(kModule, __LINE__, E_FAIL, "%s(%zu): unreadable key line.\n", path_.c_str(),
                        i + 1);
            return E_FAIL;
        }
        if (!sections_.empty())
            sections_.back().end = i;
        sections_.push_back({*key, i, count});
        byKey_.emplace(UpperKey(*key), sections_.size() - 1);
    }
    std::size_t firstSection = sections_.empty() ? count : sections_[0].header;
    for (std::size_t i = 1; i < firstSection; ++i) {
        std::string_view line = WithoutCr(lines_[i]);
        if (!IsBlank(line) && line[0] != ';' && line[0] != '#') {
            ReportError(kModule, __LINE__, E_FAIL,
                        "%s(%zu): unexpected text before the first key.\n", path_.c_str(), i + 1);
            return E_FAIL;
        }
    }
    for (std::size_t s = 0; s < sections_.size(); ++s)
        if (HRESULT hr = ParseSectionLines(s); FAILED(hr))
            return hr;
    return S_OK;
}

HRESULT WineRegistryFile::ParseSectionLines(std::size_t section) {
    const Section& s = sections_[section];
    for (std::size_t i = s.header + 1; i < s.end; ++i) {
        std::string_view line = WithoutCr(lines_[i]);
        if (IsBlank(line) || line[0] == '#' || line[0] == ';')
            continue;
        Value value;
        if ((line[0] != '"' && line[0] != '@') || !ParseValueLine(line, &value)) {
            ReportError(kModule, __LINE__, E_FAIL, "%s(%zu): unreadable value line.\n",
                        path_.c_str(), i + 1);
            return E_FAIL;
        }
        while (!line.empty() && line.back() == '\\' && i + 1 < s.end) {
            line = WithoutCr(lines_[++i]);
            if (!ParseHexList(line)) {
                ReportError(kModule, __LINE__, E_FAIL, "%s(%zu): unreadable continuation.\n",
                            path_.c_str(), i + 1);
                return E_FAIL;
            }
        }
    }
    return S_OK;
}

const WineRegistryFile::Section* WineRegistryFile::FindSection(std::string_view key) const {
    auto it = byKey_.find(UpperKey(key));
    return it == byKey_.end() ? nullptr : &sections_[it->second];
}

std::vector<WineRegistryFile::ValueLines> WineRegistryFile::ValuesOf(const Section& s) const {
    std::vector<ValueLines> values;
    for (std::size_t i = s.header + 1; i < s.end; ++i) {
        std::string_view line = WithoutCr(lines_[i]);
        if (line.empty() || (line[0] != '"' && line[0] != '@'))
            continue;
        ValueLines entry{{}, i, i + 1};
        ParseValueLine(line, &entry.value);
        while (!line.empty() && line.back() == '\\' && entry.end < s.end)
            line = WithoutCr(lines_[entry.end++]);
        i = entry.end - 1;
        values.push_back(std::move(entry));
    }
    return values;
}

bool WineRegistryFile::HasKey(std::string_view key) const {
    return FindSection(key) != nullptr;
}

std::optional<WineRegistryFile::Value> WineRegistryFile::FindValue(std::string_view key,
                                                                   std::string_view name) const {
    const Section* s = FindSection(key);
    if (!s)
        return std::nullopt;
    for (ValueLines& entry : ValuesOf(*s))
        if (EqualsNoCase(entry.value.name, name))
            return std::move(entry.value);
    return std::nullopt;
}

std::vector<WineRegistryFile::Value> WineRegistryFile::Values(std::string_view key) const {
    std::vector<Value> values;
    if (const Section* s = FindSection(key))
        for (ValueLines& entry : ValuesOf(*s))
            values.push_back(std::move(entry.value));
    return values;
}

std::vector<std::string> WineRegistryFile::Subkeys(std::string_view key) const {
    std::vector<std::string> names;
    for (const Section& s : sections_) {
        std::string_view rest = s.key;
        if (!key.empty()) {
            if (!IsKeyOrBelow(s.key, key) || s.key.size() == key.size())
                continue;
            rest.remove_prefix(key.size() + 1);
        }
        std::string child(rest.substr(0, rest.find('\\')));
        bool known = false;
        for (const std::string& name : names)
            known = known || EqualsNoCase(name, child);
        if (!known && !child.empty())
            names.push_back(child);
    }
    return names;
}

// The header and time lines Wine writes for a key: the save time in seconds since 1970 and the
// last-write time as a FILETIME in hex.
std::vector<std::string> WineRegistryFile::NewSectionLines(std::string_view key) const {
    std::time_t now = std::time(nullptr);
    std::uint64_t fileTime = (std::uint64_t(now) + kUnixEpochInFileTime) * 10000000ull;
    return {Format("[%s] %lld", EscapeRegistryText(key, true).c_str(), static_cast<long long>(now)),
            Format("#time=%llx", static_cast<unsigned long long>(fileTime))};
}

void WineRegistryFile::SetString(std::string_view key, std::string_view name, std::string_view text,
                                 int type) {
    std::string cr = newline_ == "\r\n" ? "\r" : "";
    std::string line =
        (name.empty() ? std::string("@") : "\"" + EscapeRegistryText(name, false) + "\"") + "=" +
        (type == 1 ? std::string() : Format("str(%x):", unsigned(type))) + "\"" +
        EscapeRegistryText(text, false) + "\"" + cr;
    CreateKey(key);
    const Section* s = FindSection(key);
    std::vector<std::string> lines = lines_;
    for (const ValueLines& entry : ValuesOf(*s))
        if (EqualsNoCase(entry.value.name, name)) {
            lines.erase(lines.begin() + std::ptrdiff_t(entry.first),
                        lines.begin() + std::ptrdiff_t(entry.end));
            lines.insert(lines.begin() + std::ptrdiff_t(entry.first), line);
            return Rebuild(std::move(lines));
        }
    std::size_t after = s->end;
    while (after > s->header + 1 && IsBlank(lines_[after - 1]))
        --after;
    lines.insert(lines.begin() + std::ptrdiff_t(after), line);
    Rebuild(std::move(lines));
}

void WineRegistryFile::DeleteValue(std::string_view key, std::string_view name) {
    const Section* s = FindSection(key);
    if (!s)
        return;
    for (const ValueLines& entry : ValuesOf(*s))
        if (EqualsNoCase(entry.value.name, name)) {
            std::vector<std::string> lines = lines_;
            lines.erase(lines.begin() + std::ptrdiff_t(entry.first),
                        lines.begin() + std::ptrdiff_t(entry.end));
            return Rebuild(std::move(lines));
        }
}

// Keys that exist keep their own spelling in a new subkey's path, as the registry keeps a key's
// name as it was created: making "SOFTWARE\Microsoft\Foo" below "Software\Microsoft" gives
// "Software\Microsoft\Foo".
std::string WineRegistryFile::SpelledKey(std::string_view key) const {
    std::size_t best = 0;
    std::string spelling;
    for (const Section& s : sections_) {
        std::size_t i = 0;
        for (;; ++i) {
            bool keyEnd = i == key.size() || key[i] == '\\';
            bool sectionEnd = i == s.key.size() || s.key[i] == '\\';
            if (keyEnd && sectionEnd && i > best) {
                best = i;
                spelling = s.key.substr(0, i);
            }
            if (i == key.size() || i == s.key.size() ||
                ToLowerAscii(key[i]) != ToLowerAscii(s.key[i]))
                break;
        }
    }
    return spelling + std::string(key.substr(best));
}

void WineRegistryFile::CreateKey(std::string_view key) {
    if (FindSection(key) || lines_.empty())
        return;
    std::vector<std::string> lines = lines_;
    std::size_t at = lines.back().empty() ? lines.size() - 1 : lines.size();
    std::string cr = newline_ == "\r\n" ? "\r" : "";
    std::vector<std::string> added = {cr};
    for (std::string& line : NewSectionLines(SpelledKey(key)))
        added.push_back(line + cr);
    if (!lines.back().empty()) // the file lacked a final newline: end the old last line first
        added.push_back("");
    lines.insert(lines.begin() + std::ptrdiff_t(at), added.begin(), added.end());
    Rebuild(std::move(lines));
}

void WineRegistryFile::DeleteKey(std::string_view key) {
    std::vector<std::string> lines;
    std::size_t next = 0;
    for (const Section& s : sections_) {
        if (!IsKeyOrBelow(s.key, key))
            continue;
        lines.insert(lines.end(), lines_.begin() + std::ptrdiff_t(next),
                     lines_.begin() + std::ptrdiff_t(s.header));
        next = s.end;
    }
    if (next == 0)
        return;
    // The blank line before a key separates it from the key above; with the file's last key
    // gone, nothing follows to separate.
    if (next == sections_.back().end)
        while (!lines.empty() && IsBlank(lines.back()))
            lines.pop_back();
    lines.insert(lines.end(), lines_.begin() + std::ptrdiff_t(next), lines_.end());
    Rebuild(std::move(lines));
}

// Joins the lines again and re-indexes them; the edits above only produce parseable lines.
void WineRegistryFile::Rebuild(std::vector<std::string> lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i)
            text += '\n';
        text += lines[i];
    }
    Parse(path_, std::move(text));
}

HRESULT WineRegistryFile::Save() const {
    if (lines_.empty())
        return E_FAIL;
    return ReplaceFileContents(path_, text_.data(), text_.size());
}

} // namespace vellum
