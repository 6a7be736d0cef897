// Reading the PE resource directory, every field checked against the resource data's size.
#include "formats/ResourceDirectory.h"

#include "common/CodePage.h"

namespace vellum {

ResourceDirectoryEntry ResourceDirectoryTable::Entry(unsigned index) const {
    std::uint64_t at = std::uint64_t(index) * kResourceDirectoryEntrySize;
    return {entries.U32(at), entries.U32(at + 4)};
}

std::optional<ResourceDirectoryTable> ResourceDirectory::Directory(std::uint32_t offset) const {
    if (!HasDirectory(offset))
        return std::nullopt;
    ResourceDirectoryTable table;
    table.namedEntries = data_.U16(std::uint64_t(offset) + 12);
    table.idEntries = data_.U16(std::uint64_t(offset) + 14);
    std::uint64_t start = std::uint64_t(offset) + kResourceDirectorySize;
    std::uint64_t length = std::uint64_t(table.Count()) * kResourceDirectoryEntrySize;
    if (!data_.Has(start, length))
        return std::nullopt;
    table.entries = data_.Sub(start, length);
    return table;
}

std::optional<ResourceDataEntry> ResourceDirectory::DataEntry(std::uint32_t offset) const {
    if (!data_.Has(offset, kResourceDataEntrySize))
        return std::nullopt;
    std::uint64_t at = offset;
    return ResourceDataEntry{data_.U32(at), data_.U32(at + 4), data_.U32(at + 8),
                             data_.U32(at + 12)};
}

std::optional<std::u16string> ResourceDirectory::Name(std::uint32_t offset) const {
    if (!HasName(offset))
        return std::nullopt;
    std::uint64_t units = data_.U16(offset);
    if (!data_.Has(std::uint64_t(offset) + 2, units * 2))
        return std::nullopt;
    return Utf16FromLittleEndian(data_.Data() + offset + 2, std::size_t(units));
}

} // namespace vellum
