// Accelerator tables against bytes written by hand from the published ACCELTABLEENTRY layout.
#include "formats/AcceleratorTable.h"

#include "support/ByteBuilder.h"

#include <gtest/gtest.h>

using namespace vellum;
using namespace vellum::test;

namespace {

// Ctrl+O (virtual key) -> 100; Alt+Shift+F4 -> 101; the character 'a' -> 102, the last entry.
const Bytes kTable = {0x09, 0, 0x4F, 0, 100, 0, 0, 0, //
                      0x15, 0, 0x73, 0, 101, 0, 0, 0, //
                      0x80, 0, 0x61, 0, 102, 0, 0, 0};

TEST(AcceleratorTable, ReadsEntriesUpToTheEndFlagAndWritesThemBack) {
    std::optional<AcceleratorTable> table = AcceleratorTable::Parse(View(kTable));
    ASSERT_TRUE(table);
    ASSERT_EQ(table->entries.size(), 3u);
    EXPECT_EQ(table->entries[0], (Accelerator{kAccelVirtKey | kAccelControl, 'O', 100, 0}));
    EXPECT_EQ(table->entries[1],
              (Accelerator{kAccelVirtKey | kAccelAlt | kAccelShift, 0x73, 101, 0}));
    EXPECT_EQ(table->entries[2], (Accelerator{0, 'a', 102, 0}));
    EXPECT_EQ(table->Serialize(), kTable);

    // What lies behind the last entry is never read as entries, and is kept.
    Bytes padded = kTable + Bytes{0x09, 0, 0x4F, 0, 0xEE, 0xEE, 0xEE, 0xEE, 1, 2};
    padded[22] = 0x34; // a padding word as some compilers leave it
    std::optional<AcceleratorTable> behind = AcceleratorTable::Parse(View(padded));
    ASSERT_TRUE(behind);
    EXPECT_EQ(behind->entries.size(), 3u);
    EXPECT_EQ(behind->entries[2].padding, 0x34);
    EXPECT_EQ(behind->trailing.size(), 10u);
    EXPECT_EQ(behind->Serialize(), padded);
}

TEST(AcceleratorTable, TheEndFlagMarksTheLastEntryOnly) {
    AcceleratorTable table = AcceleratorTable::Parse(View(kTable)).value();
    table.entries.push_back({kAccelVirtKey, 0x70, 103, 0}); // F1
    Bytes expected = kTable;
    expected[16] = 0x00;
    expected = expected + Bytes{0x81, 0, 0x70, 0, 103, 0, 0, 0};
    EXPECT_EQ(table.Serialize(), expected);
    EXPECT_TRUE(AcceleratorTable{}.Serialize().empty());
}

TEST(AcceleratorTable, RefusesTablesWithoutTheirEnd) {
    for (std::size_t size = 0; size < kTable.size(); ++size)
        EXPECT_FALSE(AcceleratorTable::Parse(View(Bytes(kTable.begin(), kTable.begin() + size))))
            << "cut at " << size;
    Bytes noEnd = kTable;
    noEnd[16] = 0;
    EXPECT_FALSE(AcceleratorTable::Parse(View(noEnd)));
}

} // namespace
