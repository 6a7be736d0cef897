// The resources of a PE file and of a .res file, by type, name and language, for tests that
// compare what two tools wrote. Both readers are written from the published layouts and read
// only what the tests need; the PE walk is the engine's own ReadPeResources.
#pragma once

#include "common/ByteView.h"
#include "formats/TemplateFields.h"

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace vellum::test {

struct ResourceKey {
    std::uint16_t type = 0;
    NameOrOrdinal name;
    std::uint16_t language = 0;

    auto Tie() const { return std::tie(type, name.ordinal, name.name, language); }
    bool operator<(const ResourceKey& other) const { return Tie() < other.Tie(); }
};

using ResourceMap = std::map<ResourceKey, std::vector<std::uint8_t>>;

// Every resource of the given numeric types in a PE file (empty when it has none or is no PE).
ResourceMap PeResources(ByteView file, const std::vector<std::uint16_t>& types);

// Every resource with a numeric type in a .res file: a run of entries, each a header (u32 data
// size, u32 header size, type and name as sz_Or_Ord, padding to 4, u32 data version, u16 memory
// flags, u16 language, u32 version, u32 characteristics) and its data, on 4-byte boundaries.
ResourceMap ResFileResources(ByteView res);

// The types a resource script holds: menus, dialogs, string tables, accelerators, versions.
inline const std::vector<std::uint16_t> kScriptTypes = {4, 5, 6, 9, 16};

// Whether binutils' x86_64-w64-mingw32-windres can be run.
bool HaveWindres();
// "type 5 name 100 language 1033", for failure messages.
std::string Describe(const ResourceKey& key);
// What differs between resources and what a compiler made of their script, one line per
// resource: a missing resource, or where the bytes part. Only what a script can say is compared:
// menus and dialogs without the padding behind their last item and with class names in
// capitals, version blocks without the node padding and child-only wTypes compilers choose.
std::vector<std::string> CompiledDifferences(const ResourceMap& original,
                                             const ResourceMap& compiled);

} // namespace vellum::test
