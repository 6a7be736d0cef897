// Listing the resources of PE and .res files for the oracle tests.
#include "support/ResourceLists.h"

#include "formats/PeImage.h"
#include "formats/ResourceDirectory.h"

#include <algorithm>

namespace vellum::test {

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

// A UTF-16 string or ordinal of a .res header; moves `at` past it.
NameOrOrdinal ResName(ByteView res, std::uint64_t& at) {
    if (res.U16(at) == 0xFFFF) {
        at += 4;
        return NameOrOrdinal::Ordinal(res.U16(at - 2));
    }
    std::u16string name;
    for (; res.Has(at, 2) && res.U16(at); at += 2)
        name.push_back(char16_t(res.U16(at)));
    at += 2;
    return NameOrOrdinal::Name(name);
}

} // namespace

ResourceMap PeResources(ByteView file, const std::vector<std::uint16_t>& types) {
    PeImage pe;
    std::optional<std::pair<std::uint32_t, std::uint32_t>> dir;
    if (pe.Parse(file) < 0 || !(dir = pe.DataDirectory(kResourceDataDirectory)) || !dir->first)
        return {};
    const SectionHeader* rsrc = SectionOf(pe, dir->first);
    if (!rsrc)
        return {};
    ByteView section = file.Sub(rsrc->pointerToRawData, rsrc->sizeOfRawData);
    ResourceDirectory tree(section.From(dir->first - rsrc->virtualAddress));
    ResourceMap found;
    std::optional<ResourceDirectoryTable> typeTable = tree.Directory(0);
    for (unsigned t = 0; typeTable && t < typeTable->Count(); ++t) {
        ResourceDirectoryEntry type = typeTable->Entry(t);
        if (type.Named() || std::find(types.begin(), types.end(), type.Id()) == types.end())
            continue;
        std::optional<ResourceDirectoryTable> names = tree.Directory(type.Target());
        for (unsigned n = 0; names && n < names->Count(); ++n) {
            std::optional<ResourceDirectoryTable> languages =
                tree.Directory(names->Entry(n).Target());
            for (unsigned l = 0; languages && l < languages->Count(); ++l) {
                std::optional<ResourceDataEntry> data =
                    tree.DataEntry(languages->Entry(l).Target());
                if (!data)
                    continue;
                ByteView bytes = section.Sub(data->rva - rsrc->virtualAddress, data->size);
                ResourceKey key{std::uint16_t(type.Id()), EntryName(tree, names->Entry(n)),
                                std::uint16_t(languages->Entry(l).Id())};
                found[key].assign(bytes.Data(), bytes.Data() + bytes.Size());
            }
        }
    }
    return found;
}

ResourceMap ResFileResources(ByteView res) {
    ResourceMap found;
    for (std::uint64_t at = 0; res.Has(at, 8);) {
        std::uint32_t dataSize = res.U32(at), headerSize = res.U32(at + 4);
        std::uint64_t field = at + 8;
        NameOrOrdinal type = ResName(res, field);
        NameOrOrdinal name = ResName(res, field);
        field = (field + 3) & ~std::uint64_t(3);
        std::uint16_t language = res.U16(field + 6);
        ByteView data = res.Sub(at + headerSize, dataSize);
        if (type.ordinal && dataSize && !data.Empty())
            found[{*type.ordinal, name, language}].assign(data.Data(), data.Data() + data.Size());
        if (headerSize == 0)
            break;
        at = (at + headerSize + dataSize + 3) & ~std::uint64_t(3);
    }
    return found;
}

} // namespace vellum::test
