// IconSnapshot: which icon the system shows for each catalogue entry, copied out of the files
// that hold them and built into an icon library.
#include "iconset/IconSnapshot.h"

#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "iconset/IconFileTrim.h"
#include "iconset/IconLocation.h"
#include "iconset/IconSources.h"
#include "iconset/IconsetDocument.h"
#include "operations/Operations.h"
#include "project/GroupEditor.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace vellum {

namespace {

namespace fs = std::filesystem;

constexpr const char* kModule = trail::kIconset;
const char kShellIcons[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Icons";
constexpr int kNoSizeLimit = 256;
// The language of the icon groups added to the library, that of the template's own resources.
constexpr int kLibraryLanguage = 1033;

// These entries name folders whose Desktop.ini the shell ignores; their first location is the
// only one that counts.
bool ReadsFirstLocationOnly(std::string_view tag) {
    return EqualsNoCase(tag, "HISTORY") || EqualsNoCase(tag, "CACHE") ||
           EqualsNoCase(tag, "SUBSCRIPTIONS");
}

std::string WithoutQuotes(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
    return text;
}

// The root key a location is read from; class identifiers and extensions live under
// HKEY_CLASSES_ROOT.
std::optional<RootKey> RootOf(std::string_view location) {
    if (!location.empty() && (location.front() == '{' || location.front() == '.'))
        return RootKey::ClassesRoot;
    if (std::optional<RegistryLocation> parsed = ParseLocationString(location))
        return parsed->root;
    return std::nullopt;
}

// Whether a location under `candidate` is more specific than the choice under `chosen`: the
// user's keys override the machine's, and the machine's own keys the merged class view.
bool Refines(std::optional<RootKey> candidate, std::optional<RootKey> chosen) {
    if (!candidate || !chosen || *candidate == *chosen)
        return false;
    return *candidate == RootKey::CurrentUser ||
           (*candidate == RootKey::Users && *chosen != RootKey::CurrentUser) ||
           (*candidate == RootKey::LocalMachine && *chosen == RootKey::ClassesRoot);
}

// The value of a short run of decimal digits; -1 for anything else.
int DigitsValue(std::string_view text) {
    if (text.empty() || text.size() > 5)
        return -1;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// The number after the element name's first letter; 99 (none) for anything else.
int ShellIconIndexOf(std::string_view elementName) {
    int value = elementName.empty() ? -1 : DigitsValue(elementName.substr(1));
    return value < 0 ? IconCatalogue::kNoShellIconIndex : value;
}

bool HasDriveOrFolder(std::string_view file) {
    return file.find_first_of("\\/:") != std::string_view::npos;
}

bool IsFile(const std::string& hostPath) {
    std::error_code ec;
    return !hostPath.empty() && fs::is_regular_file(hostPath, ec);
}

// What the dialog shows while it collects a category: "Dumping <x>", then "Collecting <x>".
std::string CategoryText(std::string_view category) {
    static const std::pair<const char*, const char*> kTexts[] = {
        {"Explorer", "Explorer Icons"},   {"Folders", "Folder Icons"},
        {"Drives", "Drive Icons"},        {"Misc", "Miscellaneous Icons"},
        {"Extension", "Extension Icons"},
    };
    for (const auto& [name, text] : kTexts)
        if (EqualsNoCase(category, name))
            return text;
    return std::string(category) + " Icons";
}

// The snapshot's options applied to an icon file already known to be valid.
void Reduce(std::vector<std::uint8_t>& icon, bool keepMostColors, int sizeLimit) {
    if (keepMostColors)
        if (auto kept = KeepMostColors(ByteView(icon.data(), icon.size())))
            icon = std::move(*kept);
    if (sizeLimit < kNoSizeLimit)
        if (auto kept = RemoveLargerImages(ByteView(icon.data(), icon.size()), sizeLimit))
            icon = std::move(*kept);
}

} // namespace

IconSnapshot::IconSnapshot(IconsetEngine& engine, bool batch)
    : system_(engine.System()), catalogue_(engine.Catalogue()), baseFolder_(engine.BaseFolder()),
      libraryName_(engine.LibraryName()), dataFolder_(engine.DataFolder()), batch_(batch) {}

struct IconSnapshot::LocationChoice {
    std::string location;
    std::string value;
};

// ---- collecting ------------------------------------------------------------------------------

int IconSnapshot::CountEntries(const std::vector<std::string>& categories) {
    std::size_t total = 0;
    for (const std::string& category : categories)
        total += catalogue_.CategoryEntries(category).size();
    return int(total);
}

HRESULT IconSnapshot::CollectCategory(std::string_view category, bool first,
                                      PhaseProgress& progress) {
    if (batch_)
        return S_OK;
    if (first) {
        snapshot_.Reset();
        nextIcon_ = 1;
        dropped_.clear();
    }
    std::vector<XmlNode*> entries = catalogue_.CategoryEntries(category);
    if (entries.empty())
        return S_OK;
    snapshot_.FindOrCreate("\\Root\\Icons");
    snapshot_.FindOrCreate("\\Root\\Blanks");
    for (XmlNode* entry : entries) {
        if (progress.CancelRequested())
            return E_ABORT;
        progress.Advance();
        CollectEntry(entry);
    }
    return S_OK;
}

void IconSnapshot::CollectEntry(XmlNode* entry) {
    std::string tag = MakeTag(catalogue_.Attribute(entry, "Name"));
    if (tag.empty())
        return; // nothing to name its element with
    std::vector<std::string> locations = catalogue_.Locations(entry, IconCatalogue::kMaxLocations);
    std::string sourceName, sourceValue, icon;
    if (!locations.empty()) {
        LocationChoice choice =
            ReadsFirstLocationOnly(tag)
                ? LocationChoice{locations.front(),
                                 ReadLocation(system_, locations.front()).value_or("")}
                : SearchLocations(locations);
        sourceName = "Loc";
        sourceValue = choice.location;
        icon = WithoutQuotes(choice.value);
    } else if (std::string csidl = catalogue_.Attribute(entry, "csidl"); !csidl.empty()) {
        icon = FolderIcon(DigitsValue(csidl), &sourceValue);
        if (!sourceValue.empty())
            sourceName = "csidl";
    }
    // A value read from the registry is kept as found; defaults may need their folder.
    bool fromRegistry = !locations.empty() && !icon.empty();
    if (icon.empty())
        icon = catalogue_.Attribute(entry, "Def");
    if (icon.empty())
        icon = ShellIconDefault(entry);
    if (!fromRegistry && !icon.empty())
        icon = CompleteBareName(icon);
    IconSource source{sourceName, sourceValue};
    if (icon.empty())
        InsertBlank(snapshot_, tag, source);
    else
        InsertIcon(snapshot_, tag, source, icon);
}

// The first location that can be read, then refined by a later one under a more specific root
// key. The walk ends at the first HKCS location: the user's class keys are already the most
// specific. Without any readable location the first one is the choice, with no value.
IconSnapshot::LocationChoice
IconSnapshot::SearchLocations(const std::vector<std::string>& locations) {
    std::size_t chosen = locations.size();
    std::string value;
    for (std::size_t i = 0; i < locations.size() && chosen == locations.size(); ++i)
        if (std::optional<std::string> read = ReadLocation(system_, locations[i])) {
            chosen = i;
            value = *read;
        }
    if (chosen == locations.size())
        return {locations.front(), ""};
    for (std::size_t i = 0; i < locations.size(); ++i) {
        const std::string& location = locations[i];
        if (location.compare(0, 4, "HKCS") == 0)
            break;
        if (i == chosen || location.front() == '.' ||
            !Refines(RootOf(location), RootOf(locations[chosen])))
            continue;
        if (std::optional<std::string> read = ReadLocation(system_, location)) {
            chosen = i;
            value = *read;
        }
    }
    return {locations[chosen], value};
}

// A special folder's icon as its Desktop.ini names it. The folder's number becomes the source
// whenever the folder exists, even when it has no icon of its own.
std::string IconSnapshot::FolderIcon(int csidl, std::string* sourceValue) {
    std::string folder;
    std::error_code ec;
    if (csidl < 0 || FAILED(system_.ShellFolder(csidl, &folder)))
        return {};
    std::string host = system_.ToHostPath(folder);
    if (host.empty() || !fs::is_directory(host, ec))
        return {};
    *sourceValue = std::to_string(csidl);
    std::string ini = folder + "\\Desktop.ini";
    std::string file = system_.ReadProfileString(ini, ".ShellClassInfo", "IconFile", "");
    std::string index = system_.ReadProfileString(ini, ".ShellClassInfo", "IconIndex", "");
    return file.empty() || index.empty() ? std::string() : file + "," + index;
}

// The shell's own icon for an entry with a shell icon index: the Shell Icons override when
// there is one, else that index of shell32.dll.
std::string IconSnapshot::ShellIconDefault(XmlNode* entry) {
    std::string_view name = entry->Name();
    int index = ShellIconIndexOf(name);
    if (index == IconCatalogue::kNoShellIconIndex)
        return {};
    std::string value;
    if (SUCCEEDED(system_.ReadString(RootKey::LocalMachine, kShellIcons, name.substr(1), &value)) &&
        !value.empty())
        return value;
    return Format("%s\\shell32.dll,%d", system_.SystemFolder().c_str(), index);
}

// "shell32.dll,3" becomes "C:\windows\system32\shell32.dll,3" when the system folder (or else
// the Windows folder) has that file.
std::string IconSnapshot::CompleteBareName(const std::string& icon) {
    std::size_t comma = icon.rfind(',');
    std::string file = icon.substr(0, comma);
    std::string index = comma == std::string::npos ? std::string() : icon.substr(comma);
    if (file.empty() || HasDriveOrFolder(file))
        return icon;
    for (const std::string& folder : {system_.SystemFolder(), system_.WindowsFolder()})
        if (IsFile(system_.ToHostPath(folder + "\\" + file)))
            return folder + "\\" + file + index;
    return icon;
}

// ---- extracting ------------------------------------------------------------------------------

std::string IconSnapshot::IconValue(const XmlNode* element) const {
    return xml::AttributeText(element, "Icon").value_or(std::string());
}

void IconSnapshot::SetIconValue(XmlNode* element, const std::string& value) {
    snapshot_.SetCursor(element); // attributes are written at the cursor
    snapshot_.SetAttribute("Icon", value);
}

HRESULT IconSnapshot::ExtractIcons(PhaseProgress& progress, Prompter& prompter, bool keepMostColors,
                                   int sizeLimit) {
    if (batch_)
        return S_OK;
    progress.Sink().SetStatus("Extracting Icons");
    progress.SetPhase("Extracting Icons");
    XmlNode* icons = snapshot_.FindOrCreate("\\Root\\Icons");
    // A repeat names the icon of the element before it, so it goes when that one went.
    bool previousExtracted = false;
    for (XmlNode *element = icons ? icons->firstChild : nullptr, *next; element; element = next) {
        next = element->next;
        if (progress.CancelRequested())
            return E_ABORT;
        progress.Advance();
        HRESULT hr = E_FAIL;
        if (IconValue(element) != kRepeatMarker) {
            hr = ExtractOne(element, prompter, keepMostColors, sizeLimit);
            previousExtracted = SUCCEEDED(hr);
        } else if (previousExtracted) {
            SetIconValue(element, Format("%s,%d", libraryName_.c_str(), nextIcon_ - 2));
            hr = S_OK;
        }
        if (FAILED(hr)) {
            dropped_.emplace_back(element->Name());
            snapshot_.Unlink(element);
        }
    }
    HRESULT hr = snapshot_.Save(SnapshotPath());
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr, "Failed to write %s", SnapshotPath().c_str());
    return hr;
}

HRESULT IconSnapshot::ExtractOne(XmlNode* element, Prompter& prompter, bool keepMostColors,
                                 int sizeLimit) {
    IconLocation location = SplitIconLocation(IconValue(element));
    std::string file(StripQuotes(system_.ExpandEnvironment(location.path)));
    // "%1" stands for the document itself: each file of the type shows its own icon.
    std::string host = EqualsNoCase(file, "%1") ? std::string() : FindHostFile(file);
    if (host.empty()) {
        ReportError(kModule, __LINE__, E_FAIL, "Cannot find the icon file %s", file.c_str());
        return E_FAIL;
    }
    std::vector<std::uint8_t> icon;
    HRESULT hr = ReadIconSource(host, location.index, prompter, icon);
    if (FAILED(hr))
        return hr;
    Reduce(icon, keepMostColors, sizeLimit);
    std::string path = baseFolder_ + Format("14%.5d.ico", nextIcon_);
    hr = ReplaceFileContents(path, icon.data(), icon.size());
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to write %s", path.c_str());
        return hr;
    }
    SetIconValue(element, Format("%s,%d", libraryName_.c_str(), nextIcon_ - 1));
    ++nextIcon_;
    return S_OK;
}

// The host path of an icon file: the path itself, else the file in the Windows folder, else in
// the system folder.
std::string IconSnapshot::FindHostFile(const std::string& windowsPath) {
    bool rooted = windowsPath.size() >= 2 && windowsPath[1] == ':';
    if (rooted && IsFile(system_.ToHostPath(windowsPath)))
        return system_.ToHostPath(windowsPath);
    std::string name(rooted ? FileNameOf(windowsPath) : std::string_view(windowsPath));
    if (name.empty())
        return {};
    for (const std::string& folder : {system_.WindowsFolder(), system_.SystemFolder()}) {
        std::string host = system_.ToHostPath(folder + "\\" + name);
        if (IsFile(host))
            return host;
    }
    return {};
}

// ---- building the icon library -------------------------------------------------------------

HRESULT IconSnapshot::BuildIconLibrary(const std::string& libraryPath, Prompter& prompter,
                                       ProgressSink& progress) {
    if (batch_)
        return S_OK;
    progress.SetStatus("Building Snapshot");
    progress.SetStatus("Compiling .ICL");
    std::vector<int> positions;
    HRESULT hr = DecompileTemplate(prompter);
    if (SUCCEEDED(hr))
        hr = AddIconGroups(baseFolder_ + "pe.xml", prompter, progress, &positions);
    if (FAILED(hr))
        return hr;
    XmlNode* icons = snapshot_.Find("\\Root\\Icons");
    for (XmlNode* element = icons ? icons->firstChild : nullptr; element; element = element->next) {
        int number = SplitIconLocation(IconValue(element)).index;
        if (number >= 0 && std::size_t(number) < positions.size())
            SetIconValue(element, Format("%s,%d", libraryName_.c_str(), positions[number]));
    }
    hr = snapshot_.Save(SnapshotPath());
    CompileRequest compile{libraryPath, libraryPath, baseFolder_ + "pe.xml", false, nullptr};
    CompileOutcome outcome;
    if (SUCCEEDED(hr))
        hr = CompileProject(compile, prompter, &outcome);
    if (SUCCEEDED(hr) && outcome.missingFiles)
        hr = E_FAIL;
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr, "Failed to build the icon library %s",
                    libraryPath.c_str());
    return hr;
}

// The blank template, copied as SnapShot.dll and decompiled into the base folder: the project
// the icon groups are added to.
HRESULT IconSnapshot::DecompileTemplate(Prompter& prompter) {
    std::string dll = baseFolder_ + "SnapShot.dll";
    std::vector<std::uint8_t> blank;
    HRESULT hr = ReadWholeFile(JoinPath(dataFolder_, "blank.dll"), blank);
    if (SUCCEEDED(hr))
        hr = ReplaceFileContents(dll, blank.data(), blank.size());
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to copy %s to %s",
                    JoinPath(dataFolder_, "blank.dll").c_str(), dll.c_str());
        return hr;
    }
    DecompileRequest decompile{dll, baseFolder_, false, nullptr, dataFolder_};
    return DecompileFile(decompile, prompter, nullptr);
}

// Adds one icon group per extracted icon and gives, per icon, the position of its group among
// the library's icon groups (which an icon location's index counts).
HRESULT IconSnapshot::AddIconGroups(const std::string& manifest, Prompter& prompter,
                                    const ProgressSink& progress, std::vector<int>* positions) {
    Project project(prompter);
    HRESULT hr = project.Load(manifest);
    GroupEditor groups(project);
    std::vector<int> groupIds;
    for (int n = 1; n <= IconCount() && SUCCEEDED(hr); ++n) {
        if (progress.CancelRequested())
            return E_ABORT;
        std::string name = TagOfIcon(n - 1);
        // Tags repeat when two entries share a display name; the group is then left unnamed.
        if (!name.empty() && groups.HasGroupFile(kResourceIconGroup, name + "_ICO"))
            name.clear();
        GroupAdded added;
        hr = groups.AddIconOrCursorFile(baseFolder_ + Format("14%.5d.ico", n), name,
                                        kLibraryLanguage, &added);
        groupIds.push_back(added.groupId);
    }
    if (SUCCEEDED(hr))
        hr = project.Save();
    if (FAILED(hr))
        return hr;
    std::vector<int> order;
    for (XmlNode* group : project.ResourcesOf(project.FindType(kResourceIconGroup)))
        order.push_back(group->FindAttribute("ID") ? project.Int(group, "ID") : -1);
    positions->clear();
    for (int id : groupIds)
        positions->push_back(int(std::find(order.begin(), order.end(), id) - order.begin()));
    return S_OK;
}

// The tag of the first Icons element that names icon `number` of the library.
std::string IconSnapshot::TagOfIcon(int number) const {
    XmlNode* icons = snapshot_.Find("\\Root\\Icons");
    for (XmlNode* element = icons ? icons->firstChild : nullptr; element; element = element->next)
        if (SplitIconLocation(IconValue(element)).index == number)
            return std::string(element->Name());
    return {};
}

// ---- the whole snapshot ----------------------------------------------------------------------

HRESULT IconSnapshot::TakeSnapshot(const SnapshotOptions& options, Prompter& prompter,
                                   ProgressSink& progress) {
    progress.SetPercent(0);
    progress.SetStatus("Initializing");
    PhaseProgress collecting(progress, 0, 5, CountEntries(options.categories));
    bool first = true;
    for (const std::string& category : options.categories) {
        progress.SetStatus("Dumping " + CategoryText(category));
        collecting.SetPhase("Collecting " + CategoryText(category));
        if (HRESULT hr = CollectCategory(category, first, collecting); FAILED(hr))
            return hr;
        first = false;
    }
    XmlNode* icons = snapshot_.Find("\\Root\\Icons");
    int total = 0;
    for (XmlNode* element = icons ? icons->firstChild : nullptr; element; element = element->next)
        ++total;
    PhaseProgress extracting(progress, 5, 80, total);
    HRESULT hr = ExtractIcons(extracting, prompter, options.keepMostColors, options.sizeLimit);
    progress.SetPercent(85);
    if (SUCCEEDED(hr) && !options.individualIcons)
        hr = BuildIconLibrary(options.libraryPath, prompter, progress);
    return hr;
}

// ---- individual icons ------------------------------------------------------------------------

HRESULT IconSnapshot::SaveIndividualIcons(const std::string& folder, ProgressSink& progress,
                                          std::string_view verb) {
    progress.SetStatus("Building Snapshot");
    // Icon numbers already saved and their file names: entries that share an icon share a file.
    std::map<int, std::string> saved;
    XmlNode* icons = snapshot_.Find("\\Root\\Icons");
    for (XmlNode *element = icons ? icons->firstChild : nullptr, *next; element; element = next) {
        next = element->next;
        if (progress.CancelRequested())
            return E_ABORT;
        IconLocation location = SplitIconLocation(IconValue(element));
        int number = location.index + 1;
        if (location.path != libraryName_ || number < 1 || number > IconCount()) {
            snapshot_.Unlink(element);
            continue;
        }
        auto [entry, added] = saved.emplace(number, std::string(element->Name()) + ".ico");
        if (added) {
            progress.SetStatus(
                Format("%.*s (%s)", int(verb.size()), verb.data(), entry->second.c_str()));
            std::vector<std::uint8_t> bytes;
            HRESULT hr = ReadWholeFile(baseFolder_ + Format("14%.5d.ico", number), bytes);
            if (SUCCEEDED(hr))
                hr = ReplaceFileContents(JoinPath(folder, entry->second), bytes.data(),
                                         bytes.size());
            if (FAILED(hr)) {
                ReportError(kModule, __LINE__, hr, "Failed to write %s",
                            JoinPath(folder, entry->second).c_str());
                return hr;
            }
        }
        SetIconValue(element, entry->second);
    }
    return S_OK;
}

} // namespace vellum
