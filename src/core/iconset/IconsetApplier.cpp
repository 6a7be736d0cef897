// IconsetApplier: loading an iconset file, the "System Cache" pseudo-iconset or a zip archive
// (possibly holding further archives) and matching its icons to the catalogue; then applying
// it. The changes are planned from reads alone, what they overwrite is saved, and only then are
// registry values and shell files changed.
#include "iconset/IconsetApplier.h"

#include "common/ErrorTrail.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "iconset/IconLocation.h"
#include "iconset/IconsetDocument.h"
#include "iconset/ZipArchiveFile.h"

#include <algorithm>
#include <filesystem>

namespace vellum {

namespace {

namespace fs = std::filesystem;

constexpr const char* kModule = trail::kIconset;
const char kShellIcons[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Icons";
const char kQuickLaunch[] = "\\Microsoft\\Internet Explorer\\Quick Launch";
// The text of a Desktop.ini that applying creates.
const char kDesktopIniText[] = "[.ShellClassInfo]\r\nIconFile=%s\r\nIconIndex=%d\r\n";
// Step D of applying clears the Shell Icons subkeys with these names.
constexpr int kLastClearedKey = 44;

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

bool HasDrive(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

// folder + "\" + name, with exactly one backslash between them.
std::string JoinWindows(std::string_view folder, std::string_view name) {
    while (!name.empty() && name.front() == '\\')
        name.remove_prefix(1);
    std::string out(folder);
    if (!out.empty() && out.back() != '\\')
        out += '\\';
    return out + std::string(name);
}

std::string WindowsFileName(std::string_view path) {
    std::size_t slash = path.find_last_of("\\/");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string Describe(const RegistryWrite& w) {
    return ValueDescription(w.root, w.key, w.valueName) + " = " + w.value;
}

std::string Describe(const ShellFileChange& change) {
    switch (change.kind) {
    case ShellFileKind::DesktopIni:
        return change.path + ": IconFile=" + change.iconFile +
               Format(", IconIndex=%d", change.iconIndex);
    case ShellFileKind::CommandFile:
        return change.path + ": [Shell] IconFile=" + change.iconFile;
    case ShellFileKind::Shortcut:
        break;
    }
    return change.path + ": icon " + change.iconFile + Format(",%d", change.iconIndex);
}

std::string TrailText() {
    std::string text = TakeErrorTrail().value_or(std::string());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    std::size_t body = text.rfind("\r\n\r\n");
    return body == std::string::npos ? text : text.substr(body + 4);
}

} // namespace

IconsetApplier::IconsetApplier(IconsetEngine& engine)
    : system_(engine.System()), catalogue_(engine.Catalogue()), baseFolder_(engine.BaseFolder()) {}

// ---- loading ---------------------------------------------------------------------------------

HRESULT IconsetApplier::LoadIconset(const std::string& path, const std::string& folder) {
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
HRESULT IconsetApplier::LoadIconsetFile(const std::string& path) {
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
HRESULT IconsetApplier::LoadZippedIconset(const std::string& path, const std::string& folder,
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

HRESULT IconsetApplier::ExtractZipEntries(const std::string& path, const std::string& folder,
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

std::string IconsetApplier::LoadFailedText(const std::string& path) const {
    return Format("The file\n\n%s\n\n%s", path.c_str(),
                  hasIconset_ ? "Does not have any icons.\n"
                              : " does not have a .iconset or is not a valid .iconset\n");
}

// "$REPEAT$" stands for the icon of the element before it; it is replaced here, in document
// order, so that every later step sees a real location.
void IconsetApplier::ResolveRepeats() {
    XmlNode* icons = iconset_.Find("\\Root\\Icons");
    std::string previous;
    for (XmlNode* child : xml::Children(icons)) {
        std::string value = xml::AttributeText(child, "Icon").value_or(std::string());
        if (value == kRepeatMarker && !previous.empty()) {
            iconset_.SetCursor(child); // attributes are written at the cursor
            iconset_.SetAttribute("Icon", previous);
        } else {
            previous = value;
        }
    }
}

// ---- planning and applying --------------------------------------------------------------------

// The Windows path of the base folder, without a trailing backslash; empty when the system
// cannot reach it.
std::string IconsetApplier::IconsetFolder() {
    std::string folder = system_.ToWindowsPath(baseFolder_);
    while (folder.size() > 3 && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

// A location with a drive (or a UNC path) is taken as it is; otherwise the file lies in the
// iconset's folder: the text after the last percent sign (what is left of an environment
// reference) or the whole location.
std::string IconsetApplier::IconPath(const std::string& location) {
    IconLocation split = SplitIconLocation(location);
    std::string_view file = StripQuotes(split.path);
    if (HasDrive(file) || file.substr(0, 2) == "\\\\")
        return location;
    std::size_t percent = location.rfind('%');
    return JoinWindows(IconsetFolder(),
                       percent == std::string::npos ? location : location.substr(percent + 1));
}

bool IconsetApplier::IconFileExists(const std::string& iconPath) {
    std::string file(StripQuotes(SplitIconLocation(iconPath).path));
    std::string host = system_.ToHostPath(system_.ExpandEnvironment(file));
    std::error_code ec;
    return !host.empty() && fs::is_regular_file(host, ec);
}

ApplyPlan IconsetApplier::PlanApply() {
    ApplyPlan plan;
    std::vector<std::string> subkeys;
    if (SUCCEEDED(system_.EnumerateSubkeys(RootKey::LocalMachine, kShellIcons, &subkeys)))
        for (int n = 0; n <= kLastClearedKey; ++n)
            for (const std::string& name : subkeys)
                if (name == Format("%d", n))
                    plan.deletedKeys.push_back(std::string(kShellIcons) + "\\" + name);
    for (const AppliedIcon& icon : applied_)
        PlanIcon(icon, plan);
    std::string folder;
    if (SUCCEEDED(system_.ShellFolder(csidl::kAppData, &folder)))
        PlanShellFiles(folder + kQuickLaunch, plan);
    if (SUCCEEDED(system_.ShellFolder(csidl::kDesktopDirectory, &folder)))
        PlanShellFiles(folder, plan);
    return plan;
}

void IconsetApplier::PlanIcon(const AppliedIcon& icon, ApplyPlan& plan) {
    const CatalogueRecord& record = catalogue_.Records().at(icon.record);
    std::string path = IconPath(icon.location);
    if (!IconFileExists(path)) {
        plan.skipped.push_back(record.displayName + ": the icon file of " + path +
                               " does not exist");
        return;
    }
    if (record.shellIconIndex >= 0 && record.shellIconIndex < IconCatalogue::kNoShellIconIndex)
        plan.writes.push_back(
            {RootKey::LocalMachine, kShellIcons, Format("%d", record.shellIconIndex), path});
    std::string folder;
    std::error_code ec;
    if (record.csidl >= 0 && SUCCEEDED(system_.ShellFolder(record.csidl, &folder)) &&
        fs::is_directory(system_.ToHostPath(folder), ec)) {
        IconLocation split = SplitIconLocation(path);
        plan.files.push_back({ShellFileKind::DesktopIni, JoinWindows(folder, "Desktop.ini"),
                              split.path, split.index});
    }
    if (record.element)
        for (const std::string& at : catalogue_.Locations(record.element))
            PlanLocation(at, path, plan);
}

// A class identifier names its last part as value unless that part is "DefaultIcon", and is
// written for the machine (HKCR\CLSID) and for the user (HKCU\Software\Classes\CLSID). An
// extension's class is looked up and its DefaultIcon written. Prefixed locations follow
// ValueForWriting.
void IconsetApplier::PlanLocation(const std::string& location, const std::string& iconPath,
                                  ApplyPlan& plan) {
    if (location.front() == '{') {
        std::size_t slash = location.rfind('\\');
        if (slash == std::string::npos) {
            plan.skipped.push_back("the location " + location + " names no value to write");
            return;
        }
        bool defaultIcon = EqualsNoCase(location.substr(slash + 1), "DefaultIcon");
        std::string key = defaultIcon ? location : location.substr(0, slash);
        std::string name = defaultIcon ? std::string() : location.substr(slash + 1);
        plan.writes.push_back({RootKey::ClassesRoot, "CLSID\\" + key, name, iconPath});
        plan.writes.push_back(
            {RootKey::CurrentUser, "Software\\Classes\\CLSID\\" + key, name, iconPath});
    } else if (location.front() == '.') {
        std::string className;
        if (FAILED(system_.ReadString(RootKey::ClassesRoot, location, "", &className)) ||
            className.empty()) {
            plan.skipped.push_back("the extension " + location + " names no file type");
            return;
        }
        plan.writes.push_back({RootKey::ClassesRoot, className + "\\DefaultIcon", "", iconPath});
    } else if (std::optional<RegistryValueRef> ref = ValueForWriting(location)) {
        plan.writes.push_back({ref->root, ref->key, ref->valueName, iconPath});
    } else {
        plan.skipped.push_back("the location " + location + " has no known prefix");
    }
}

void IconsetApplier::PlanShellFiles(const std::string& folder, ApplyPlan& plan) {
    std::string host = system_.ToHostPath(folder);
    std::error_code ec;
    if (host.empty() || !fs::is_directory(host, ec))
        return;
    std::vector<std::string> names;
    for (auto it = fs::directory_iterator(host, ec); !ec && it != fs::directory_iterator();
         it.increment(ec))
        if (it->is_regular_file(ec))
            names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
        PlanShellFile(JoinWindows(folder, name), plan);
}

void IconsetApplier::PlanShellFile(const std::string& path, ApplyPlan& plan) {
    std::optional<std::string> location;
    if (HasExtension(path, ".scf")) {
        std::string command = system_.ReadProfileString(path, "Taskbar", "Command", "");
        location = AppliedLocation(catalogue_.ScfMatches(), command);
    } else if (HasExtension(path, ".lnk")) {
        ShortcutInfo link;
        if (FAILED(system_.ReadShortcut(path, &link))) {
            plan.skipped.push_back(path + ": " + TrailText());
            return;
        }
        std::string target = WindowsFileName(link.targetPath);
        location = target.empty() ? std::nullopt : AppliedLocation(catalogue_.LnkMatches(), target);
    }
    if (!location)
        return;
    std::string icon = IconPath(*location);
    if (!IconFileExists(icon)) {
        plan.skipped.push_back(path + ": the icon file of " + icon + " does not exist");
        return;
    }
    IconLocation split = SplitIconLocation(icon);
    if (HasExtension(path, ".scf"))
        plan.files.push_back({ShellFileKind::CommandFile, path, icon, 0});
    else
        plan.files.push_back({ShellFileKind::Shortcut, path, split.path, split.index});
}

// The first match pair whose value equals `value` and whose entry the iconset applies gives the
// icon location.
std::optional<std::string> IconsetApplier::AppliedLocation(const std::vector<NamedValue>& pairs,
                                                           std::string_view value) const {
    for (const NamedValue& pair : pairs) {
        std::optional<std::size_t> record;
        if (EqualsNoCase(pair.value, value))
            record = catalogue_.FindByName(pair.name);
        for (const AppliedIcon& icon : applied_)
            if (record && icon.record == *record)
                return icon.location;
    }
    return std::nullopt;
}

HRESULT IconsetApplier::ApplyIconset(const std::string& backupFolder, ApplyResult* result,
                                     ProgressSink* progress) {
    SilentProgress silent;
    ProgressSink& sink = progress ? *progress : silent;
    if (applied_.empty()) {
        ReportError(kModule, __LINE__, E_FAIL, "No iconset with icons is loaded.\n");
        return E_FAIL;
    }
    if (IconsetFolder().empty()) {
        ReportError(kModule, __LINE__, HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND),
                    "The folder %s cannot be reached from the Windows system.\n",
                    baseFolder_.c_str());
        return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    }
    sink.SetPercent(25);
    sink.SetStatus("Saving the present icon settings");
    ApplyPlan plan = PlanApply();
    ApplyBackup backup(system_);
    HRESULT hr = backup.Create(backupFolder, iconsetPath_);
    if (SUCCEEDED(hr)) {
        result->backupFolder = backup.Folder();
        SaveBeforeChanging(backup, plan, *result);
        hr = backup.Finish();
    }
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr,
                    "Cannot save the present icon settings in %s; nothing was changed.\n",
                    backupFolder.c_str());
        return hr;
    }
    sink.SetPercent(35);
    MakeChanges(plan, *result, sink);
    system_.RefreshDesktop();
    result->skipped.insert(result->skipped.end(), plan.skipped.begin(), plan.skipped.end());
    return S_OK;
}

// Anything whose present state cannot be saved is left as it is.
void IconsetApplier::SaveBeforeChanging(ApplyBackup& backup, ApplyPlan& plan, ApplyResult& result) {
    std::erase_if(plan.deletedKeys, [&](const std::string& key) {
        bool failed = FAILED(backup.SaveKey(RootKey::LocalMachine, key));
        if (failed)
            result.skipped.push_back("kept HKEY_LOCAL_MACHINE\\" + key +
                                     ": it holds values that cannot be saved");
        return failed;
    });
    std::erase_if(plan.writes, [&](const RegistryWrite& w) {
        bool failed = FAILED(backup.SaveValue(w.root, w.key, w.valueName));
        if (failed)
            result.skipped.push_back("left " + Describe(w) + ": the present value cannot be saved");
        return failed;
    });
    std::erase_if(plan.files, [&](const ShellFileChange& change) {
        bool failed = FAILED(backup.SaveFile(change.path));
        if (failed)
            result.skipped.push_back("left " + change.path + ": it cannot be copied");
        return failed;
    });
}

void IconsetApplier::MakeChanges(const ApplyPlan& plan, ApplyResult& result, ProgressSink& sink) {
    PhaseProgress progress(sink, 35, 65,
                           int(plan.deletedKeys.size() + plan.writes.size() + plan.files.size()));
    progress.SetPhase("Applying icons");
    auto note = [&](HRESULT hr, const std::string& what) {
        progress.Advance();
        result.Record(hr, what);
    };
    for (const std::string& key : plan.deletedKeys)
        note(system_.DeleteKey(RootKey::LocalMachine, key), "deleted HKEY_LOCAL_MACHINE\\" + key);
    for (const RegistryWrite& w : plan.writes)
        note(system_.WriteString(w.root, w.key, w.valueName, w.value), Describe(w));
    for (const ShellFileChange& change : plan.files)
        note(ChangeShellFile(change), Describe(change));
}

HRESULT IconsetApplier::ChangeShellFile(const ShellFileChange& change) {
    switch (change.kind) {
    case ShellFileKind::DesktopIni: {
        HRESULT hr = system_.CreateHiddenFile(
            change.path, Format(kDesktopIniText, change.iconFile.c_str(), change.iconIndex));
        if (hr != HRESULT_FROM_WIN32(ERROR_FILE_EXISTS) && hr != E_NOTIMPL)
            return hr;
        hr =
            system_.WriteProfileString(change.path, ".ShellClassInfo", "IconFile", change.iconFile);
        if (SUCCEEDED(hr))
            hr = system_.WriteProfileString(change.path, ".ShellClassInfo", "IconIndex",
                                            Format("%d", change.iconIndex));
        return hr;
    }
    case ShellFileKind::CommandFile:
        return system_.WriteProfileString(change.path, "Shell", "IconFile", change.iconFile);
    case ShellFileKind::Shortcut:
        break;
    }
    return system_.SetShortcutIcon(change.path, change.iconFile, change.iconIndex);
}

} // namespace vellum
