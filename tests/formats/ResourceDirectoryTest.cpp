// The PE resource directory view, against a small tree written by hand from the published
// layout, and against trees cut or pointing anywhere.
#include "formats/ResourceDirectory.h"

#include "support/ByteBuilder.h"

#include <gtest/gtest.h>

using namespace vellum;
using namespace vellum::test;

namespace {

// A root with one named type ("ICO", a subdirectory at 32) and one ID type (3, straight to a data
// entry at 80). The subdirectory holds language 1033, a data entry at 64.
const Bytes kTree = {
    0,    0,    0,   0,    0,    0, 0,   0,    0,    0,    0, 0, 1, 0, 1, 0, // root
    0x38, 0,    0,   0x80, 0x20, 0, 0,   0x80,                               // "ICO"
    3,    0,    0,   0,    0x50, 0, 0,   0,                                  // ID 3
    0,    0,    0,   0,    0,    0, 0,   0,    0,    0,    0, 0, 0, 0, 1, 0, // at 32
    0x09, 0x04, 0,   0,    0x40, 0, 0,   0,                                  // 1033
    3,    0,    'I', 0,    'C',  0, 'O', 0,                                  // at 56
    0x50, 0x10, 0,   0,    4,    0, 0,   0,    0xE4, 0x04, 0, 0, 0, 0, 0, 0, // at 64
    0,    0x20, 0,   0,    0x10, 0, 0,   0,    0,    0,    0, 0, 7, 0, 0, 0, // at 80
};

Bytes Cut(std::size_t size) {
    return Bytes(kTree.begin(), kTree.begin() + std::ptrdiff_t(size));
}

TEST(ResourceDirectory, ReadsDirectoriesEntriesNamesAndDataEntries) {
    ResourceDirectory tree(View(kTree));
    std::optional<ResourceDirectoryTable> root = tree.Directory(0);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->namedEntries, 1);
    EXPECT_EQ(root->idEntries, 1);
    ASSERT_EQ(root->Count(), 2u);

    ResourceDirectoryEntry named = root->Entry(0);
    EXPECT_TRUE(named.Named());
    EXPECT_EQ(named.NameOffset(), 56u);
    EXPECT_EQ(tree.Name(named.NameOffset()), u"ICO");
    EXPECT_TRUE(named.IsDirectory());
    EXPECT_EQ(named.Target(), 32u);

    ResourceDirectoryEntry byId = root->Entry(1);
    EXPECT_FALSE(byId.Named());
    EXPECT_EQ(byId.Id(), 3u);
    EXPECT_FALSE(byId.IsDirectory());
    std::optional<ResourceDataEntry> direct = tree.DataEntry(byId.Target());
    ASSERT_TRUE(direct);
    EXPECT_EQ(direct->rva, 0x2000u);
    EXPECT_EQ(direct->size, 16u);
    EXPECT_EQ(direct->codePage, 0u);
    EXPECT_EQ(direct->reserved, 7u);

    std::optional<ResourceDirectoryTable> languages = tree.Directory(named.Target());
    ASSERT_TRUE(languages);
    ASSERT_EQ(languages->Count(), 1u);
    EXPECT_EQ(languages->Entry(0).Id(), 1033u);
    std::optional<ResourceDataEntry> data = tree.DataEntry(languages->Entry(0).Target());
    ASSERT_TRUE(data);
    EXPECT_EQ(data->rva, 0x1050u);
    EXPECT_EQ(data->size, 4u);
    EXPECT_EQ(data->codePage, 1252u);
}

TEST(ResourceDirectory, NothingReadReachesPastTheEnd) {
    ResourceDirectory tree(View(kTree));
    // Offsets near 2^32 must not wrap round to the start.
    for (std::uint32_t far : {96u, 97u, 0x7FFFFFFFu, 0xFFFFFFF0u, 0xFFFFFFFFu}) {
        EXPECT_FALSE(tree.HasDirectory(far)) << far;
        EXPECT_FALSE(tree.Directory(far)) << far;
        EXPECT_FALSE(tree.DataEntry(far)) << far;
        EXPECT_FALSE(tree.HasName(far)) << far;
        EXPECT_FALSE(tree.Name(far)) << far;
    }

    // A header that fits, with more entries than the bytes hold.
    Bytes many = kTree;
    Put16(many, 14, 10);
    ResourceDirectory manyTree(View(many));
    EXPECT_TRUE(manyTree.HasDirectory(0));
    EXPECT_FALSE(manyTree.Directory(0));
    Put16(many, 14, 2); // three entries of 8 bytes fit (the counts say nothing about overlaps)
    ASSERT_TRUE(manyTree.Directory(0));
    EXPECT_EQ(manyTree.Directory(0)->Count(), 3u);

    // Data entries and the last directory need all their bytes.
    EXPECT_TRUE(ResourceDirectory(View(Cut(96))).DataEntry(80));
    EXPECT_FALSE(ResourceDirectory(View(Cut(95))).DataEntry(80));
    EXPECT_TRUE(ResourceDirectory(View(Cut(56))).Directory(32));
    EXPECT_FALSE(ResourceDirectory(View(Cut(55))).Directory(32));
    EXPECT_FALSE(ResourceDirectory(View(Cut(15))).HasDirectory(0));
    EXPECT_FALSE(ResourceDirectory().Directory(0));
}

TEST(ResourceDirectory, NameStringsNeedTheirLengthWordAndEveryCharacter) {
    EXPECT_EQ(ResourceDirectory(View(Cut(64))).Name(56), u"ICO");
    Bytes cutInNameBytes = Cut(63);
    ResourceDirectory cutInName(View(cutInNameBytes));
    EXPECT_TRUE(cutInName.HasName(56));
    EXPECT_FALSE(cutInName.Name(56));
    Bytes cutInLengthBytes = Cut(57);
    ResourceDirectory cutInLength(View(cutInLengthBytes));
    EXPECT_FALSE(cutInLength.HasName(56));
    EXPECT_FALSE(cutInLength.Name(56));

    Bytes empty = Cut(58);
    Put16(empty, 56, 0); // a length word of 0 at the very end: an empty name
    EXPECT_EQ(ResourceDirectory(View(empty)).Name(56), u"");

    Bytes wide = kTree;
    Put16(wide, 58, 0x00E9); // é, and a code unit above 0xFF
    Put16(wide, 60, 0x4E2D);
    EXPECT_EQ(ResourceDirectory(View(wide)).Name(56), u"\u00E9\u4E2DO");
}

} // namespace
