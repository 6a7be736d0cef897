// ApplyBackup: saving registry values and shell files before an iconset overwrites them.
#include "iconset/ApplyBackup.h"

#include "common/CodePage.h"
#include "common/FileIo.h"
#include "common/LocalTime.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "iconset/ApplyPlan.h"

#include <ctime>
#include <filesystem>

namespace vellum {

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kErrorInvalidData = 13;
// Registry keys nest at most 512 levels; Shell Icons subkeys hold a few values at most.
constexpr int kMaxKeyDepth = 32;

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

HRESULT ApplyBackup::Create(const std::string& folder, const std::string& iconsetPath) {
    folder_ = WithTrailingSeparator(folder);
    iconsetPath_ = iconsetPath;
    return CreateFolders(folder_ + "files");
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
        AddLine(root, key, (valueName.empty() ? "@" : Quoted(valueName)) + "=-");
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
    fs::copy_file(host, JoinPath(folder_ + "files", copy), fs::copy_options::overwrite_existing,
                  ec);
    if (ec)
        return HResultFromErrno(ec.value());
    fileLines_.push_back(windowsPath + "\tfiles\\" + copy);
    return S_OK;
}

HRESULT ApplyBackup::Finish() {
    std::string reg = "Windows Registry Editor Version 5.00\r\n\r\n"
                      "; Registry values as they were before Vellum applied the iconset\r\n; " +
                      iconsetPath_ +
                      "\r\n; Import this file with regedit to put them back. \"name\"=- marks a "
                      "value that did not exist.\r\n";
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

} // namespace vellum
