// Builds small PE images in memory for tests: hand-made resource trees, hostile headers.
#pragma once

#include "support/ByteBuilder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vellum::test {

// A resource's type or name: a number, or a string when `name` is not empty.
struct ResId {
    std::uint32_t id = 0;
    std::u16string name;
    ResId(std::uint32_t n) : id(n) {}
    ResId(const char16_t* s) : name(s) {}
};

struct TestResource {
    ResId type;
    ResId name;
    std::uint16_t language;
    Bytes data;
};

// A resource section in the usual layout (all directories, then the data entries, the name
// strings and the data). Types, names and languages keep the order given; give named entries
// first, as the format wants.
Bytes BuildResourceSection(const std::vector<TestResource>& resources, std::uint32_t sectionRva);

struct TestSection {
    std::string name;
    Bytes data;
};

// A PE32 (or PE32+) image: 64-byte DOS header, NT headers at 0x40, sections at 0x1000 steps in
// memory and 0x200 steps in the file. The section named .rsrc is placed at RVA 0x1000 when first.
Bytes BuildPe(const std::vector<TestSection>& sections, bool pe32Plus = false);

} // namespace vellum::test
