// libFuzzer target: reads arbitrary bytes as the data of a PE resource section and walks its
// directory the way the dumper does (three levels, no directory twice), reading every name and
// data entry on the way. Whatever the view returns must lie inside the input.
#include "formats/ResourceDirectory.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>

namespace {

void Check(bool inside) {
    if (!inside)
        std::abort();
}

void Walk(const vellum::ResourceDirectory& tree, std::uint32_t offset, int level,
          std::set<std::uint32_t>& visited) {
    std::optional<vellum::ResourceDirectoryTable> table = tree.Directory(offset);
    if (!table || level > 3 || !visited.insert(offset).second)
        return;
    const std::uint8_t* begin = tree.Bytes().Data();
    Check(table->entries.Size() == std::size_t(table->Count()) * 8);
    Check(table->Count() == 0 ||
          (table->entries.Data() >= begin &&
           table->entries.Data() + table->entries.Size() <= begin + tree.Bytes().Size()));
    for (unsigned i = 0; i < table->Count(); ++i) {
        vellum::ResourceDirectoryEntry entry = table->Entry(i);
        if (entry.Named())
            if (std::optional<std::u16string> name = tree.Name(entry.NameOffset()))
                Check(entry.NameOffset() + 2 + name->size() * 2 <= tree.Bytes().Size());
        if (entry.IsDirectory())
            Walk(tree, entry.Target(), level + 1, visited);
        else if (tree.DataEntry(entry.Target()))
            Check(std::uint64_t(entry.Target()) + 16 <= tree.Bytes().Size());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vellum::ResourceDirectory tree(vellum::ByteView(data, size));
    std::set<std::uint32_t> visited;
    Walk(tree, 0, 0, visited);
    return 0;
}
