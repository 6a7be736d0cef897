// Icon files from the files that hold icons: PE icon groups, icon-library groups, .ico files.
#include "iconset/IconSources.h"

#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/MappedFile.h"
#include "common/Strings.h"
#include "common/TrailModules.h"
#include "decompiler/NeDumper.h"
#include "formats/PeImage.h"
#include "formats/ResourceFiles.h"
#include "iconset/IconFileTrim.h"

#include <algorithm>

namespace vellum {

namespace {

constexpr const char* kModule = trail::kIconset;
constexpr std::uint32_t kIconType = 3;
constexpr std::uint32_t kIconGroupType = 14;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::uint64_t kDirectoryHeader = 16;
constexpr std::uint64_t kDirectoryEntry = 8;

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

// A directory entry: its name field and its offset field.
struct DirectoryEntry {
    std::uint32_t name = 0;
    std::uint32_t offset = 0;
    bool Named() const { return (name & kHighBit) != 0; }
    bool IsDirectory() const { return (offset & kHighBit) != 0; }
};

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
        data_ = SectionRestAt(pe_, directory->first);
        return data_.Has(0, kDirectoryHeader);
    }

    // The entries of the directory at `offset`, named ones first, as stored.
    std::vector<DirectoryEntry> Entries(std::uint32_t offset) const {
        std::vector<DirectoryEntry> entries;
        std::uint64_t count = std::uint64_t(data_.U16(offset + 12)) + data_.U16(offset + 14);
        if (!data_.Has(offset, kDirectoryHeader + kDirectoryEntry * count))
            return entries;
        for (std::uint64_t i = 0; i < count; ++i) {
            std::uint64_t at = offset + kDirectoryHeader + kDirectoryEntry * i;
            entries.push_back({data_.U32(at), data_.U32(at + 4)});
        }
        return entries;
    }

    // The subdirectory of the entry with that ID under the directory at `offset`.
    std::optional<std::uint32_t> SubdirectoryWithId(std::uint32_t offset, std::uint32_t id) const {
        for (const DirectoryEntry& e : Entries(offset))
            if (!e.Named() && e.name == id && e.IsDirectory())
                return e.offset & ~kHighBit;
        return std::nullopt;
    }

    // The data of a name entry: the first language's data entry.
    ByteView DataOf(const DirectoryEntry& entry) const {
        if (!entry.IsDirectory())
            return ByteView();
        std::vector<DirectoryEntry> languages = Entries(entry.offset & ~kHighBit);
        if (languages.empty() || languages.front().IsDirectory())
            return ByteView();
        std::uint32_t dataEntry = languages.front().offset;
        if (!data_.Has(dataEntry, 16))
            return ByteView();
        return AtRva(pe_, data_.U32(dataEntry), data_.U32(dataEntry + 4));
    }

private:
    PeImage pe_;
    ByteView data_;
};

std::optional<DirectoryEntry> PickGroup(const std::vector<DirectoryEntry>& groups, int index) {
    if (index >= 0) {
        if (std::size_t(index) < groups.size())
            return groups[std::size_t(index)];
        return std::nullopt;
    }
    for (const DirectoryEntry& g : groups)
        if (!g.Named() && std::int64_t(g.name) == -std::int64_t(index))
            return g;
    return std::nullopt;
}

HRESULT ReadNeIcon(const std::string& path, int index, Prompter& prompter,
                   std::vector<std::uint8_t>& icon) {
    NeDumper dumper(prompter);
    HRESULT hr = dumper.Open(path);
    if (FAILED(hr))
        return hr;
    std::vector<unsigned> ids = dumper.ResourceIds(kIconGroupType);
    unsigned id = 0;
    if (index >= 0 && std::size_t(index) < ids.size())
        id = ids[std::size_t(index)];
    else if (index < 0 && index > -65536)
        id = unsigned(-index);
    if (id == 0) {
        ReportError(kModule, __LINE__, E_FAIL, "%s has no icon group %d", path.c_str(), index);
        return E_FAIL;
    }
    return dumper.ResourceBytes(kIconGroupType, id, false, icon);
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
    std::optional<std::uint32_t> groupType = resources.SubdirectoryWithId(0, kIconGroupType);
    std::optional<DirectoryEntry> group =
        groupType ? PickGroup(resources.Entries(*groupType), index) : std::nullopt;
    ByteView groupData = group ? resources.DataOf(*group) : ByteView();
    if (groupData.Size() < kIconDirSize)
        return std::nullopt;
    std::optional<std::uint32_t> iconType = resources.SubdirectoryWithId(0, kIconType);
    std::vector<DirectoryEntry> icons =
        iconType ? resources.Entries(*iconType) : std::vector<DirectoryEntry>{};
    auto memberFile = [&](unsigned id) {
        for (const DirectoryEntry& e : icons)
            if (!e.Named() && e.name == id)
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
