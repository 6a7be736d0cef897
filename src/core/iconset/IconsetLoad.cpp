// IconsetEngine: loading an iconset file, the "System Cache" pseudo-iconset or a zip archive
// (possibly holding further archives) and matching its icons to the catalogue.
#include "common/ErrorTrail.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "iconset/IconLocation.h"
#include "iconset/IconsetEngine.h"
#include "iconset/ZipArchiveFile.h"

#include <filesystem>

namespace vellum {

namespace {

namespace fs = std::filesystem;

constexpr const char* kModule = trail::kIconset;
const char kSystemCache[] = "System Cache";
// Archives inside archives are followed this deep; an archive that holds itself stops here.
constexpr int kMaxNesting = 8;

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = ToLowerAscii(c);
    return out;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// Entries that carry icons: libraries, executables and icon files, by the last three letters.
bool IsIconFileName(std::string_view lowerName) {
    return EndsWith(lowerName, "icl") || EndsWith(lowerName, "dll") || EndsWith(lowerName, "exe") ||
           EndsWith(lowerName, "ico");
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec);
}

// False for an entry that cannot be written where it belongs, which is skipped (with the reason
// in the trail when the entry itself is to blame); a damaged archive ends the load.
bool ExtractEntry(ZipArchiveFile& zip, std::size_t index, const std::string& folder) {
    try {
        zip.Extract(index, folder);
        return true;
    } catch (const ZipError& e) {
        if (e.kind == ZipError::Kind::Name || e.kind == ZipError::Kind::Unsupported)
            ReportError(kModule, __LINE__, e.Result(), "%s\n", e.what());
        else if (e.kind != ZipError::Kind::Io)
            throw;
        return false;
    }
}

} // namespace

HRESULT IconsetEngine::LoadIconset(const std::string& path, const std::string& folder) {
    baseFolder_ = WithTrailingSeparator(folder);
    iconsetPath_ = path;
    catalogue_.ClearLoadedIconset();
    applied_.clear();
    iconset_.Reset();
    hasIconset_ = hasIcons_ = false;
    loadNotes_.clear();
    HRESULT hr = S_OK;
    if (IsIconsetFile(path)) {
        hr = LoadIconsetFile(path);
    } else if (path == kSystemCache) {
        catalogue_.FillSystemCache();
        hasIconset_ = true;
    } else {
        hr = LoadZippedIconset(path, baseFolder_, 0);
    }
    info_ = catalogue_.ReadInfoFields(iconset_);
    return hr;
}

// An iconset file whose name does not end in ".iconset" exactly (case counts) is meant for the
// converter Glyphwright.exe. The converter is a Windows program that Vellum does not run, so
// the file is loaded as it is, as the behaviour prescribes for a missing converter.
HRESULT IconsetEngine::LoadIconsetFile(const std::string& path) {
    if (!EndsWith(path, ".iconset"))
        loadNotes_.push_back("Fetchling: the converter Glyphwright.exe is not run; " + path +
                             " is loaded as it is.");
    HRESULT hr = iconset_.Load(path);
    if (FAILED(hr)) {
        // The behaviour goes on with no icons; with nothing to apply, loading fails instead.
        std::error_code ec;
        if (fs::exists(path, ec))
            loadNotes_.push_back("IconFileBad " + path);
        ReportError(kModule, __LINE__, hr, "Cannot read the iconset %s\n", path.c_str());
        return hr;
    }
    hasIconset_ = true;
    ResolveRepeats();
    applied_ = catalogue_.MatchIconset(
        iconset_, [this](std::string_view text) { return system_.ExpandEnvironment(text); });
    hasIcons_ = hasIcons_ || !applied_.empty();
    if (applied_.empty()) {
        ReportError(kModule, __LINE__, E_FAIL, "No icon of %s matches the icon catalogue.\n",
                    path.c_str());
        return E_FAIL;
    }
    return S_OK;
}

// Extracts every entry of the archive that is an iconset, an icon file or another archive.
// An archive that holds nothing but archives is replaced by the last of them.
HRESULT IconsetEngine::LoadZippedIconset(const std::string& path, const std::string& folder,
                                         int depth) {
    if (depth >= kMaxNesting) {
        ReportError(kModule, __LINE__, E_FAIL, "%s nests archives deeper than %d levels.\n",
                    path.c_str(), kMaxNesting);
        return E_FAIL;
    }
    hasIconset_ = hasIcons_ = false;
    std::string nested, iconsetFile;
    HRESULT hr = ExtractZipEntries(path, folder, &nested, &iconsetFile);
    if (FAILED(hr))
        return hr;
    if (!nested.empty() && !hasIcons_)
        return LoadZippedIconset(nested, folder, depth + 1);
    if (!iconsetFile.empty()) {
        bool icons = hasIcons_;
        hr = LoadIconsetFile(iconsetFile);
        hasIcons_ = icons;
        if (FAILED(hr))
            return hr;
    }
    return hasIconset_ && hasIcons_ ? S_OK : E_FAIL;
}

HRESULT IconsetEngine::ExtractZipEntries(const std::string& path, const std::string& folder,
                                         std::string* nested, std::string* iconsetFile) {
    try {
        ZipArchiveFile zip;
        zip.Open(path, ZipArchiveFile::Mode::ReadOnly);
        for (std::size_t i = 0; i < zip.Count(); ++i) {
            const ZipEntryInfo& info = zip.EntryInfo(i);
            if (zip.IsDirectory(i))
                continue;
            std::string name = LowerAscii(FileNameOf(info.name));
            bool archive = IsZippedIconset(name);
            bool iconset = EndsWith(name, ".iconset");
            if (!archive && !iconset && !IsIconFileName(name))
                continue;
            std::string target = JoinPath(folder, FileNameOf(info.name));
            if (SameFile(target, path) || !ExtractEntry(zip, i, folder)) {
                loadNotes_.push_back("Skipped the entry " + info.name + " of " + path + ".");
                continue;
            }
            if (archive)
                *nested = target; // a later one replaces an earlier one
            else if (iconset)
                *iconsetFile = target;
            hasIconset_ = hasIconset_ || iconset;
            hasIcons_ = hasIcons_ || (!archive && !iconset);
        }
        zip.Close();
    } catch (const ZipError& e) {
        ReportError(kModule, __LINE__, E_FAIL, "%s cannot be read as a zip archive: %s\n",
                    path.c_str(), e.what());
        return E_FAIL;
    }
    return S_OK;
}

std::string IconsetEngine::LoadFailedText(const std::string& path) const {
    return Format("The file\n\n%s\n\n%s", path.c_str(),
                  hasIconset_ ? "Does not have any icons.\n"
                              : " does not have a .iconset or is not a valid .iconset\n");
}

} // namespace vellum
