// String tables as resource script.
#include "operations/ProjectScript.h"

#include "compiler/StringTables.h"
#include "formats/ResourceDirectory.h"
#include "script/ResourceScript.h"

namespace vellum {

// STRINGS.XML is compiled into a resource subtree as the builder would place it at offset 0 of a
// section at RVA 0, so the data RVAs are offsets into the subtree.
std::vector<PeResource> ProjectStringBlocks(const std::string& folder, Prompter& prompter) {
    std::vector<PeResource> out;
    std::vector<std::uint8_t> subtree = BuildStringTables(folder, 0, 0, prompter);
    ResourceDirectory tree(ByteView(subtree.data(), subtree.size()));
    std::optional<ResourceDirectoryTable> blocks = tree.Directory(0);
    for (unsigned b = 0; blocks && b < blocks->Count(); ++b) {
        ResourceDirectoryEntry block = blocks->Entry(b);
        std::optional<ResourceDirectoryTable> languages = tree.Directory(block.Target());
        for (unsigned l = 0; languages && l < languages->Count(); ++l) {
            std::optional<ResourceDataEntry> data = tree.DataEntry(languages->Entry(l).Target());
            if (!data || block.Named())
                continue;
            ByteView bytes = tree.Bytes().Sub(data->rva, data->size);
            out.push_back({rt::kStringTable, NameOrOrdinal::Ordinal(std::uint16_t(block.Id())),
                           std::uint16_t(languages->Entry(l).Id()),
                           std::vector<std::uint8_t>(bytes.Data(), bytes.Data() + bytes.Size())});
        }
    }
    return out;
}

std::string StringTableScript(const std::string& folder, int language, Prompter& prompter) {
    ResourceScript script;
    for (const PeResource& block : ProjectStringBlocks(folder, prompter))
        if (block.language == language)
            script.AddResource(block.type, block.name, block.language,
                               ByteView(block.bytes.data(), block.bytes.size()));
    return script.Text();
}

} // namespace vellum
