#include "formats/PeResources.h"

#include "formats/PeImage.h"
#include "formats/ResourceDirectory.h"

#include <algorithm>

namespace vellum {

namespace {

constexpr unsigned kResourceDataDirectory = 2;

const SectionHeader* SectionOf(const PeImage& pe, std::uint32_t rva) {
    for (const SectionHeader& s : pe.Sections())
        if (rva >= s.virtualAddress && rva - s.virtualAddress < s.sizeOfRawData)
            return &s;
    return nullptr;
}

NameOrOrdinal EntryName(const ResourceDirectory& tree, ResourceDirectoryEntry entry) {
    if (!entry.Named())
        return NameOrOrdinal::Ordinal(std::uint16_t(entry.Id()));
    return NameOrOrdinal::Name(tree.Name(entry.NameOffset()).value_or(u""));
}

// The work one file may cause: each directory entry visited costs its 8 bytes, each resource
// copied its size. Real files stay far below eight times their own size; a hostile tree whose
// entries all point at the same directories or the same large block would otherwise take hours
// or gigabytes.
class WorkBudget {
public:
    explicit WorkBudget(std::uint64_t fileSize) : left_(8 * fileSize + 4096) {}
    bool Spend(std::uint64_t amount) {
        if (amount > left_) {
            left_ = 0;
            return false;
        }
        left_ -= amount;
        return true;
    }

private:
    std::uint64_t left_;
};

} // namespace

std::vector<PeResource> ReadPeResources(ByteView file, const std::vector<std::uint16_t>& types) {
    PeImage pe;
    std::optional<std::pair<std::uint32_t, std::uint32_t>> dir;
    if (pe.Parse(file) < 0 || !(dir = pe.DataDirectory(kResourceDataDirectory)) || !dir->first)
        return {};
    const SectionHeader* rsrc = SectionOf(pe, dir->first);
    if (!rsrc)
        return {};
    ByteView section = file.Sub(rsrc->pointerToRawData, rsrc->sizeOfRawData);
    ResourceDirectory tree(section.From(dir->first - rsrc->virtualAddress));
    std::vector<PeResource> found;
    WorkBudget budget(file.Size());
    std::optional<ResourceDirectoryTable> typeTable = tree.Directory(0);
    for (unsigned t = 0; typeTable && t < typeTable->Count() && budget.Spend(8); ++t) {
        ResourceDirectoryEntry type = typeTable->Entry(t);
        if (type.Named() || std::find(types.begin(), types.end(), type.Id()) == types.end())
            continue;
        std::optional<ResourceDirectoryTable> names = tree.Directory(type.Target());
        for (unsigned n = 0; names && n < names->Count() && budget.Spend(8); ++n) {
            std::optional<ResourceDirectoryTable> languages =
                tree.Directory(names->Entry(n).Target());
            for (unsigned l = 0; languages && l < languages->Count() && budget.Spend(8); ++l) {
                std::optional<ResourceDataEntry> data =
                    tree.DataEntry(languages->Entry(l).Target());
                if (!data || data->rva < rsrc->virtualAddress)
                    continue;
                ByteView bytes = section.Sub(data->rva - rsrc->virtualAddress, data->size);
                if (bytes.Size() != data->size)
                    continue;
                if (!budget.Spend(bytes.Size()))
                    return found;
                found.push_back(
                    {std::uint16_t(type.Id()), EntryName(tree, names->Entry(n)),
                     std::uint16_t(languages->Entry(l).Id()),
                     std::vector<std::uint8_t>(bytes.Data(), bytes.Data() + bytes.Size())});
            }
        }
    }
    return found;
}

} // namespace vellum
