// Icon files from the files that hold icons: PE icon groups, icon-library groups, .ico files.
#include "iconset/IconSources.h"

#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/MappedFile.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "decompiler/NeDumper.h"
#include "formats/PeImage.h"
#include "formats/ResourceDirectory.h"
#include "formats/ResourceFiles.h"
#include "iconset/IconFileTrim.h"

#include <algorithm>

namespace vellum {

namespace {

constexpr const char* kModule = trail::kIconset;

// The bytes from an RVA to the end of the raw data of the section that holds it.
ByteView SectionRestAt(const PeImage& pe, std::uint32_t rva) {
    for (const SectionHeader& s : pe.Sections()) {
        std::uint32_t span = std::max(s.virtualSize, s.sizeOfRawData);
        if (rva < s.virtualAddress || rva - s.virtualAddress >= span)
            continue;
        ByteView raw = pe.File().From(s.pointerToRawData);
        std::uint64_t available = std::min<std::uint64_t>(s.sizeOfRawData, raw.Size());
        std::uint64_t inSection = rva - s.virtualAddress;
        if (inSection >= available)
            return ByteView();
        return raw.Sub(inSection, available - inSection);
    }
    return ByteView();
}

ByteView AtRva(const PeImage& pe, std::uint32_t rva, std::uint64_t size) {
    return SectionRestAt(pe, rva).Sub(0, size);
}

// The resource data of a PE image: its directories and the data they point to.
class ResourceData {
public:
    bool Open(ByteView image) {
        if (FAILED(pe_.Parse(image)))
            return false;
        auto directory = pe_.DataDirectory(kResourceDirectory);
        if (!directory || directory->first == 0)
            return false;
        // Directory offsets count from the directory's start and stay inside its section.
        tree_ = ResourceDirectory(SectionRestAt(pe_, directory->first));
        return tree_.HasDirectory(0);
    }

    // The entries of the directory at `offset`, named ones first, as stored; none when they do
    // not fit.
    std::vector<ResourceDirectoryEntry> Entries(std::uint32_t offset) const {
        std::vector<ResourceDirectoryEntry> entries;
        if (std::optional<ResourceDirectoryTable> table = tree_.Directory(offset))
            for (unsigned i = 0; i < table->Count(); ++i)
                entries.push_back(table->Entry(i));
        return entries;
    }

    // The subdirectory of the entry with that ID under the directory at `offset`.
    std::optional<std::uint32_t> SubdirectoryWithId(std::uint32_t offset, std::uint32_t id) const {
        for (const ResourceDirectoryEntry& e : Entries(offset))
            if (!e.Named() && e.Id() == id && e.IsDirectory())
                return e.Target();
        return std::nullopt;
    }

    // The data of a name entry: the first language's data entry.
    ByteView DataOf(const ResourceDirectoryEntry& entry) const {
        if (!entry.IsDirectory())
            return ByteView();
        std::vector<ResourceDirectoryEntry> languages = Entries(entry.Target());
        if (languages.empty() || languages.front().IsDirectory())
            return ByteView();
        std::optional<ResourceDataEntry> data = tree_.DataEntry(languages.front().Target());
        return data ? AtRva(pe_, data->rva, data->size) : ByteView();
    }

private:
    PeImage pe_;
    ResourceDirectory tree_;
};

std::optional<ResourceDirectoryEntry> PickGroup(const std::vector<ResourceDirectoryEntry>& groups,
                                                int index) {
    if (index >= 0) {
        if (std::size_t(index) < groups.size())
            return groups[std::size_t(index)];
        return std::nullopt;
    }
    for (const ResourceDirectoryEntry& g : groups)
        if (!g.Named() && std::int64_t(g.Id()) == -std::int64_t(index))
            return g;
    return std::nullopt;
}

HRESULT ReadNeIcon(const std::string& path, int index, Prompter& prompter,
                   std::vector<std::uint8_t>& icon) {
    NeDumper dumper(prompter);
    HRESULT hr = dumper.Open(path);
    if (FAILED(hr))
        return hr;
    std::vector<unsigned> ids = dumper.ResourceIds(rt::kIconGroup);
    unsigned id = 0;
    if (index >= 0 && std::size_t(index) < ids.size())
        id = ids[std::size_t(index)];
    else if (index < 0 && index > -65536)
        id = unsigned(-index);
    if (id == 0) {
        ReportError(kModule, __LINE__, E_FAIL, "%s has no icon group %d", path.c_str(), index);
        return E_FAIL;
    }
    return dumper.ResourceBytes(rt::kIconGroup, id, false, icon);
}

HRESULT ReadPeIcon(const std::string& path, int index, std::vector<std::uint8_t>& icon) {
    MappedFile file;
    HRESULT hr = file.Open(path);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Failed to open %s", path.c_str());
        return hr;
    }
    std::optional<std::vector<std::uint8_t>> group = PeIconGroupFile(ByteView(file.Bytes()), index);
    if (!group) {
        ReportError(kModule, __LINE__, E_FAIL, "%s has no icon group %d", path.c_str(), index);
        return E_FAIL;
    }
    icon = std::move(*group);
    return S_OK;
}

} // namespace

std::optional<std::vector<std::uint8_t>> PeIconGroupFile(ByteView image, int index) {
    ResourceData resources;
    if (!resources.Open(image))
        return std::nullopt;
    std::optional<std::uint32_t> groupType = resources.SubdirectoryWithId(0, rt::kIconGroup);
    std::optional<ResourceDirectoryEntry> group =
        groupType ? PickGroup(resources.Entries(*groupType), index) : std::nullopt;
    ByteView groupData = group ? resources.DataOf(*group) : ByteView();
    if (groupData.Size() < kIconDirSize)
        return std::nullopt;
    std::optional<std::uint32_t> iconType = resources.SubdirectoryWithId(0, rt::kIcon);
    std::vector<ResourceDirectoryEntry> icons =
        iconType ? resources.Entries(*iconType) : std::vector<ResourceDirectoryEntry>{};
    auto memberFile = [&](unsigned id) {
        for (const ResourceDirectoryEntry& e : icons)
            if (!e.Named() && e.Id() == id)
                return SingleImageFileOfResource(resources.DataOf(e), false);
        return std::vector<std::uint8_t>();
    };
    std::uint32_t lastImage = 0;
    return GroupFile(groupData, false, memberFile, lastImage);
}

HRESULT ReadIconSource(const std::string& hostPath, int index, Prompter& prompter,
                       std::vector<std::uint8_t>& icon) {
    HRESULT hr = E_FAIL;
    switch (ExecutableKindOfFile(hostPath)) {
    case ExecutableKind::Pe:
        hr = ReadPeIcon(hostPath, index, icon);
        break;
    case ExecutableKind::Ne:
        hr = ReadNeIcon(hostPath, index, prompter, icon);
        break;
    case ExecutableKind::Unknown:
        if (!EndsWithNoCase(hostPath, "ico")) {
            ReportError(kModule, __LINE__, E_FAIL, "%s holds no icons", hostPath.c_str());
            return E_FAIL;
        }
        hr = ReadWholeFile(hostPath, icon);
        break;
    }
    if (SUCCEEDED(hr) && !ReadIconFile(ByteView(icon.data(), icon.size()))) {
        ReportError(kModule, __LINE__, E_FAIL, "The icon %d of %s is not a valid icon", index,
                    hostPath.c_str());
        hr = E_FAIL;
    }
    return hr;
}

} // namespace vellum
