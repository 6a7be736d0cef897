// Menu templates, plain and extended, against bytes written by hand from the published
// MENUITEMTEMPLATE and MENUEX_TEMPLATE_ITEM layouts.
#include "formats/MenuTemplate.h"

#include "support/ByteBuilder.h"
#include "support/Serialized.h"

#include <gtest/gtest.h>

using namespace vellum;
using namespace vellum::test;

namespace {

// A plain menu:
//   0   header: version 0, no header bytes                                        -> 4
//   4   "&File" drop-down (0x10)                                                  -> 18
//   18    "&Open" ID 100                                                          -> 34
//   34    separator: option 0, ID 0, empty text                                   -> 40
//   40    "E&xit" ID 101, grayed (1), the last of its list (0x80)                 -> 56
//   56  "&Help" drop-down, the last item (0x90)                                   -> 70
//   70    "&About" ID 102, checked (8), the last (0x88)                           -> 88
Bytes PlainMenu() {
    ByteWriter w;
    w.U16(0).U16(0);
    w.U16(0x10).Utf16(u"&File").U16(0);
    w.U16(0).U16(100).Utf16(u"&Open").U16(0);
    w.U16(0).U16(0).U16(0);
    w.U16(0x81).U16(101).Utf16(u"E&xit").U16(0);
    w.U16(0x90).Utf16(u"&Help").U16(0);
    w.U16(0x88).U16(102).Utf16(u"&About").U16(0);
    EXPECT_EQ(w.Size(), 88u);
    return w.Take();
}

// An extended menu:
//   0   header: version 1, offset 4, the menu's help ID 0x55                      -> 8
//   8   "&File": type 0, state 0, ID 200, drop-down (1)                           -> 34,
//       padding, help ID 0x66                                                     -> 40
//   40    "&Open" ID 201                                                          -> 66, pad 68
//   68    separator: type 0x800, ID 0, the last (0x80), empty text                -> 84
//   84  "&Help": type 0x4000, state 3, ID 202, the last (0x80)                    -> 110
//   110 padding behind the template                                               -> 112
Bytes ExtendedMenu() {
    ByteWriter w;
    w.U16(1).U16(4).U32(0x55);
    w.U32(0).U32(0).U32(200).U16(0x01).Utf16(u"&File").U16(0).U16(0).U32(0x66);
    w.U32(0).U32(0).U32(201).U16(0).Utf16(u"&Open").U16(0).U16(0);
    w.U32(0x800).U32(0).U32(0).U16(0x80).U16(0);
    w.U32(0x4000).U32(3).U32(202).U16(0x80).Utf16(u"&Help").U16(0);
    w.U16(0);
    EXPECT_EQ(w.Size(), 112u);
    return w.Take();
}

TEST(MenuTemplate, ReadsAPlainMenuTreeAndWritesItBack) {
    const Bytes bytes = PlainMenu();
    std::optional<MenuTemplate> menu = MenuTemplate::Parse(View(bytes));
    ASSERT_TRUE(menu);
    EXPECT_FALSE(menu->extended);
    ASSERT_EQ(menu->items.size(), 2u);
    const MenuItem& file = menu->items[0];
    EXPECT_TRUE(menu->IsPopup(file));
    EXPECT_EQ(file.text, u"&File");
    ASSERT_EQ(file.children.size(), 3u);
    EXPECT_EQ(file.children[0].id, 100u);
    EXPECT_EQ(file.children[0].text, u"&Open");
    EXPECT_EQ(file.children[1], MenuItem{});
    EXPECT_EQ(file.children[2].flags, 0x01) << "the end flag belongs to the list";
    EXPECT_EQ(file.children[2].id, 101u);
    const MenuItem& help = menu->items[1];
    EXPECT_EQ(help.flags, kMfPopup);
    ASSERT_EQ(help.children.size(), 1u);
    EXPECT_EQ(help.children[0].flags, 0x08);
    EXPECT_EQ(help.children[0].text, u"&About");
    EXPECT_EQ(Serialized(*menu), bytes);
}

TEST(MenuTemplate, ReadsAnExtendedMenuTreeAndWritesItBack) {
    const Bytes bytes = ExtendedMenu();
    std::optional<MenuTemplate> menu = MenuTemplate::Parse(View(bytes));
    ASSERT_TRUE(menu);
    EXPECT_TRUE(menu->extended);
    EXPECT_EQ(menu->HelpId(), 0x55u);
    ASSERT_EQ(menu->items.size(), 2u);
    const MenuItem& file = menu->items[0];
    EXPECT_TRUE(menu->IsPopup(file));
    EXPECT_EQ(file.id, 200u);
    EXPECT_EQ(file.helpId, 0x66u);
    ASSERT_EQ(file.children.size(), 2u);
    EXPECT_EQ(file.children[0].text, u"&Open");
    EXPECT_EQ(file.children[0].id, 201u);
    EXPECT_EQ(file.children[1].type, 0x800u);
    EXPECT_EQ(file.children[1].flags, 0);
    const MenuItem& help = menu->items[1];
    EXPECT_FALSE(menu->IsPopup(help));
    EXPECT_EQ(help.type, 0x4000u);
    EXPECT_EQ(help.state, 3u);
    EXPECT_EQ(help.id, 202u);
    EXPECT_EQ(menu->trailing, (Bytes{0, 0}));
    EXPECT_EQ(Serialized(*menu), bytes);
}

// A new last item of "&File" takes the end flag from "E&xit".
TEST(MenuTemplate, TheEndFlagFollowsTheLastItem) {
    const Bytes bytes = PlainMenu();
    std::optional<MenuTemplate> menu = MenuTemplate::Parse(View(bytes));
    ASSERT_TRUE(menu);
    MenuItem added;
    added.id = 103;
    added.text = u"&New";
    menu->items[0].children.push_back(added);
    ByteWriter expected(Bytes(bytes.begin(), bytes.begin() + 40));
    expected.U16(0x01).U16(101).Utf16(u"E&xit").U16(0);
    expected.U16(0x80).U16(103).Utf16(u"&New").U16(0);
    expected.Append(Bytes(bytes.begin() + 56, bytes.end()));
    EXPECT_EQ(Serialized(*menu), expected.Data());

    // A drop-down without items cannot be written: its list would have no end.
    menu->items[1].children.clear();
    EXPECT_FALSE(menu->Serialize());
}

TEST(MenuTemplate, AMenuWithoutItemsIsItsHeader) {
    for (const Bytes& header : {Bytes{0, 0, 0, 0}, Bytes{1, 0, 4, 0, 9, 0, 0, 0}}) {
        std::optional<MenuTemplate> menu = MenuTemplate::Parse(View(header));
        ASSERT_TRUE(menu);
        EXPECT_TRUE(menu->items.empty());
        EXPECT_EQ(Serialized(*menu), header);
    }
}

// Drop-downs inside drop-downs, each a plain popup (0x90) with empty text; the innermost holds
// one item.
Bytes NestedMenu(int depth) {
    ByteWriter w;
    w.U16(0).U16(0);
    for (int i = 0; i < depth; ++i)
        w.U16(0x90).U16(0);
    w.U16(0x80).U16(1).U16(0);
    return w.Take();
}

TEST(MenuTemplate, RefusesMenusItCannotReadWhole) {
    struct Case {
        Bytes bytes;
        std::size_t header;
    };
    for (const Case& c : {Case{PlainMenu(), 4}, Case{ExtendedMenu(), 8}}) {
        std::size_t lastItemEnd = c.bytes.size() - (c.header == 8 ? 2 : 0);
        for (std::size_t size = 0; size < lastItemEnd; ++size)
            if (size != c.header) { // a header alone is a menu without items
                Bytes cut(c.bytes.begin(), c.bytes.begin() + size);
                EXPECT_FALSE(MenuTemplate::Parse(View(cut))) << "cut at " << size;
            }
    }
    Bytes version2 = PlainMenu();
    Put16(version2, 0, 2);
    EXPECT_FALSE(MenuTemplate::Parse(View(version2)));
    Bytes offsetPastEnd = ExtendedMenu();
    Put16(offsetPastEnd, 2, 200);
    EXPECT_FALSE(MenuTemplate::Parse(View(offsetPastEnd)));
    Bytes noEnd = PlainMenu();
    Put16(noEnd, 70, 0x08); // "&About" no longer ends the list, and nothing follows it
    EXPECT_FALSE(MenuTemplate::Parse(View(noEnd)));

    EXPECT_TRUE(MenuTemplate::Parse(View(NestedMenu(kMaxMenuDepth))));
    EXPECT_FALSE(MenuTemplate::Parse(View(NestedMenu(kMaxMenuDepth + 1))));
}

} // namespace
