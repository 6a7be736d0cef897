// Listing a PE file's resources: what a hand-made tree holds comes back by type, name and
// language, entries whose data leaves the section are skipped, and a tree whose entries all share
// one directory ends within its work budget.
#include "formats/PeResources.h"

#include "support/PeBuilder.h"

#include <gtest/gtest.h>

using namespace vellum;
using namespace vellum::test;

namespace {

constexpr std::uint32_t kSectionRva = 0x1000;

// A directory header with `count` ID entries, each (id, target).
void Directory(ByteWriter& w, std::uint32_t count, std::uint32_t id, std::uint32_t target) {
    w.U32(0).U32(0).U16(0).U16(0).U16(0).U16(count);
    for (std::uint32_t i = 0; i < count; ++i)
        w.U32(id).U32(target);
}

} // namespace

TEST(PeResources, ListsTheAskedTypesByNameAndLanguage) {
    Bytes section = BuildResourceSection({{4, u"MAIN", 1031, {1, 2, 3}},
                                          {5, 100, 1033, {4, 5}},
                                          {5, 100, 1049, {6}},
                                          {2, 7, 1033, {9, 9, 9}}},
                                         kSectionRva);
    Bytes file = BuildPe({{".rsrc", section}});
    std::vector<PeResource> found = ReadPeResources(View(file), {4, 5});
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].type, 4);
    EXPECT_EQ(found[0].name, NameOrOrdinal::Name(u"MAIN"));
    EXPECT_EQ(found[0].language, 1031);
    EXPECT_EQ(found[0].bytes, (Bytes{1, 2, 3}));
    EXPECT_EQ(found[2].name, NameOrOrdinal::Ordinal(100));
    EXPECT_EQ(found[2].language, 1049);
    EXPECT_EQ(found[2].bytes, Bytes{6});
    EXPECT_TRUE(ReadPeResources(View(section), {4, 5}).empty()) << "no PE around it";
}

// 1000 type entries share one name directory of 1000 entries, which share one language
// directory of 1000 entries: a billion leaves from 24 KB. The walk stops within its budget, and
// a data entry running past the section gives nothing.
TEST(PeResources, SharedDirectoriesEndWithinTheBudget) {
    constexpr std::uint32_t kCount = 1000;
    constexpr std::uint32_t kDirectory = 16 + 8 * kCount;
    ByteWriter w;
    Directory(w, kCount, 5, 0x80000000u | kDirectory);             // types, at 0
    Directory(w, kCount, 1, 0x80000000u | 2 * kDirectory);         // names
    Directory(w, kCount, 1033, 3 * kDirectory);                    // languages
    w.U32(kSectionRva + 3 * kDirectory + 16).U32(4).U32(0).U32(0); // the data entry
    w.U32(0xAABBCCDD);
    Bytes file = BuildPe({{".rsrc", w.Take()}});
    std::vector<PeResource> found = ReadPeResources(View(file), {5});
    ASSERT_FALSE(found.empty());
    // Each leaf costs its entry's 8 bytes and its 4 data bytes.
    EXPECT_LT(found.size(), (8 * file.size() + 4096) / 12);
    EXPECT_EQ(found.front().bytes, (Bytes{0xDD, 0xCC, 0xBB, 0xAA}));

    ByteWriter past;
    Directory(past, 1, 5, 0x80000000u | 24);
    Directory(past, 1, 1, 0x80000000u | 48);
    Directory(past, 1, 1033, 72);
    past.U32(kSectionRva + 88).U32(0x10000).U32(0).U32(0);
    EXPECT_TRUE(ReadPeResources(View(BuildPe({{".rsrc", past.Take()}})), {5}).empty());
}
