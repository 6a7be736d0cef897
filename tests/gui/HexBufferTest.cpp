// Hex editing rules without a widget: insert and overwrite typing, deleting and pasting.
#include "views/HexBuffer.h"

#include <gtest/gtest.h>

namespace vellum::gui {
namespace {

using Bytes = std::vector<std::uint8_t>;

HexBuffer Buffer(Bytes bytes, bool insert) {
    HexBuffer buffer;
    buffer.SetData(std::move(bytes));
    buffer.SetInsertMode(insert);
    return buffer;
}

TEST(HexBufferTest, TypingInOverwriteAndInsertMode) {
    HexBuffer over = Buffer({0x00, 0xFF}, false);
    over.SetColumn(HexColumn::Text);
    EXPECT_TRUE(over.Type('A'));
    EXPECT_EQ(over.Data(), Bytes({0x41, 0xFF}));
    over.MoveCaret(2, false);
    EXPECT_FALSE(over.Type('B')) << "overwrite mode cannot type past the end";
    EXPECT_FALSE(over.Modified() == false);

    HexBuffer insert = Buffer({0x10, 0x20}, true);
    insert.MoveCaret(1, false);
    EXPECT_FALSE(insert.Type('g'));
    insert.Type('a');
    insert.Type('B');
    EXPECT_EQ(insert.Data(), Bytes({0x10, 0xAB, 0x20}));
    insert.MoveCaret(3, false);
    insert.Type('7');
    EXPECT_EQ(insert.Data(), Bytes({0x10, 0xAB, 0x20, 0x70}));
}

TEST(HexBufferTest, InsertModeReplacesASelectionByOneCell) {
    HexBuffer buffer = Buffer({1, 2, 3, 4}, true);
    buffer.Select(1, 3);
    buffer.Type('f');
    buffer.Type('f');
    EXPECT_EQ(buffer.Data(), Bytes({1, 0xFF, 4}));
}

// Word and double-word cells show the little-endian value; digits are typed from the most
// significant, which lives in the cell's last byte.
TEST(HexBufferTest, WiderCellsAreLittleEndianValues) {
    HexBuffer words = Buffer({0x34, 0x12, 0x78, 0x56, 0x9A}, false);
    words.SetCellBytes(2);
    EXPECT_EQ(words.CellCount(), 3u);
    EXPECT_EQ(words.CellDigits(0), "1234");
    EXPECT_EQ(words.CellDigits(2), "  9A") << "the last cell has one byte";
    words.MoveCaret(1, false);
    for (char c : std::string("BEEF"))
        EXPECT_TRUE(words.Type(c));
    EXPECT_EQ(words.Data(), Bytes({0x34, 0x12, 0xEF, 0xBE, 0x9A}));
    EXPECT_EQ(words.Caret(), 2u);
    EXPECT_FALSE(words.Type('1')) << "the short cell has no high byte";
    words.SetColumn(HexColumn::Text);
    words.ToggleColumn();
    EXPECT_EQ(words.Column(), HexColumn::Hex) << "no text column with word cells";

    HexBuffer dwords = Buffer({1, 2, 3, 4, 5, 6, 7, 8}, true);
    dwords.SetCellBytes(4);
    EXPECT_EQ(dwords.CellDigits(1), "08070605");
    dwords.MoveCaret(1, false);
    dwords.Type('A');
    EXPECT_EQ(dwords.Data(), Bytes({1, 2, 3, 4, 0, 0, 0, 0xA0, 5, 6, 7, 8}))
        << "insert mode opens a whole cell";
    dwords.Select(0, 2);
    EXPECT_EQ(dwords.Copy().text, Bytes({1, 2, 3, 4, 0, 0, 0, 0xA0, 0}));
    dwords.DeleteKey();
    EXPECT_EQ(dwords.Data(), Bytes({5, 6, 7, 8}));
    dwords.MoveCaret(1, false);
    dwords.Backspace();
    EXPECT_TRUE(dwords.Data().empty());
    dwords.Paste({9, 9, 9, 9, 9});
    EXPECT_EQ(dwords.Caret(), 2u) << "past the partly filled second cell";
}

TEST(HexBufferTest, DeleteAndBackspaceFollowTheMode) {
    HexBuffer over = Buffer({1, 2, 3, 4}, false);
    over.DeleteKey();
    EXPECT_EQ(over.Data(), Bytes({1, 2, 3, 4})) << "nothing without a selection";
    over.Select(1, 3);
    over.DeleteKey();
    EXPECT_EQ(over.Data(), Bytes({1, 0, 0, 4}));
    EXPECT_FALSE(over.HasSelection());

    HexBuffer insert = Buffer({1, 2, 3, 4}, true);
    insert.MoveCaret(2, false);
    insert.Backspace();
    EXPECT_EQ(insert.Data(), Bytes({1, 3, 4}));
    insert.DeleteKey();
    EXPECT_EQ(insert.Data(), Bytes({1, 4}));
}

TEST(HexBufferTest, ShiftMovementGrowsAndShrinksTheSelectionFromTheCaret) {
    HexBuffer buffer = Buffer({1, 2, 3, 4, 5}, false);
    buffer.MoveCaret(1, false);
    buffer.MoveCaret(4, true);
    EXPECT_EQ(buffer.SelectionStart(), 1u);
    EXPECT_EQ(buffer.SelectionEnd(), 4u);
    buffer.MoveCaret(0, true);
    EXPECT_EQ(buffer.SelectionStart(), 0u);
    EXPECT_EQ(buffer.SelectionEnd(), 1u);
}

TEST(HexBufferTest, PasteInsertsOrOverwritesWithinBounds) {
    Bytes clip{9, 9, 9};
    HexBuffer insert = Buffer({1, 2}, true);
    insert.MoveCaret(1, false);
    insert.Paste(clip);
    EXPECT_EQ(insert.Data(), Bytes({1, 9, 9, 9, 2}));

    HexBuffer tail = Buffer({1, 2, 3}, false);
    tail.MoveCaret(2, false);
    tail.Paste(clip);
    EXPECT_EQ(tail.Data(), Bytes({1, 2, 9})) << "cut off at the end of the data";

    HexBuffer selected = Buffer({1, 2, 3, 4}, false);
    selected.Select(0, 2);
    selected.Paste(clip);
    EXPECT_EQ(selected.Data(), Bytes({9, 9, 3, 4})) << "no more than the selection holds";
}

TEST(HexBufferTest, ClipboardBytesPreferBinaryDataAndTrustItsLength) {
    auto bytes = HexBuffer::BytesFromClipboard(Bytes({2, 0, 0, 0, 7, 8, 9}), Bytes({'x', 0}));
    EXPECT_EQ(bytes, Bytes({7, 8}));
    EXPECT_EQ(HexBuffer::BytesFromClipboard(Bytes({200, 0, 0, 0, 7}), std::nullopt), Bytes({7}));
    EXPECT_EQ(HexBuffer::BytesFromClipboard(std::nullopt, Bytes({'h', 'i', 0})), Bytes({'h', 'i'}));
    EXPECT_FALSE(HexBuffer::BytesFromClipboard(std::nullopt, std::nullopt));
}

} // namespace
} // namespace vellum::gui
