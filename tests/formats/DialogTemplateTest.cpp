// Dialog templates, plain and extended, against bytes written by hand from the published
// DLGTEMPLATE, DLGTEMPLATEEX and item layouts.
#include "formats/DialogTemplate.h"

#include "support/ByteBuilder.h"
#include "support/Serialized.h"

#include <gtest/gtest.h>

using namespace vellum;
using namespace vellum::test;

namespace {

// A plain template with DS_SETFONT and two items:
//   0   style 0x80C00040, ex-style 0, 2 items, (10, 20, 200, 100)               -> 18
//   18  menu ordinal 101, no class, title "Hi", font 8 "MS Shell Dlg"          -> 58, pad 60
//   60  button: style 0x50010001, (5, 6, 50, 14), ID 1, class 0x0080, "OK",
//       no creation data                                                       -> 90, pad 92
//   92  style 0x50000000, ex-style 4, (1, 2, 3, 4), ID 0xFFFF, class "MyClass",
//       title ordinal 7, 4 bytes of creation data                              -> 136
Bytes PlainDialog() {
    ByteWriter w;
    w.U32(0x80C00040).U32(0).U16(2).U16(10).U16(20).U16(200).U16(100);
    w.U16(0xFFFF).U16(101).U16(0).Utf16(u"Hi").U16(0);
    w.U16(8).Utf16(u"MS Shell Dlg").U16(0).U16(0);
    w.U32(0x50010001).U32(0).U16(5).U16(6).U16(50).U16(14).U16(1);
    w.U16(0xFFFF).U16(0x0080).Utf16(u"OK").U16(0).U16(0).U16(0);
    w.U32(0x50000000).U32(4).U16(1).U16(2).U16(3).U16(4).U16(0xFFFF);
    w.Utf16(u"MyClass").U16(0).U16(0xFFFF).U16(7).U16(4).U32(0xDDCCBBAA);
    EXPECT_EQ(w.Size(), 136u);
    return w.Take();
}

// An extended template with DS_SHELLFONT and one item:
//   0   version 1, 0xFFFF, help ID 0x1234, ex-style 0x100, style 0x80C80048, 1 item,
//       (-1, 0, 300, 200)                                                       -> 26
//   26  menu "M", class ordinal 0x8002, empty title                            -> 36
//   36  font 9, weight 400, italic 1, charset 1, "Segoe UI"                    -> 60
//   60  help ID 7, ex-style 0x200, style 0x50810080, (7, 8, 100, 12), ID 0x12345,
//       class 0x0081, empty title, no creation data                            -> 92
Bytes ExtendedDialog() {
    ByteWriter w;
    w.U16(1).U16(0xFFFF).U32(0x1234).U32(0x100).U32(0x80C80048).U16(1);
    w.U16(0xFFFF).U16(0).U16(300).U16(200);
    w.Utf16(u"M").U16(0).U16(0xFFFF).U16(0x8002).U16(0);
    w.U16(9).U16(400).U8(1).U8(1).Utf16(u"Segoe UI").U16(0);
    w.U32(7).U32(0x200).U32(0x50810080).U16(7).U16(8).U16(100).U16(12).U32(0x12345);
    w.U16(0xFFFF).U16(0x0081).U16(0).U16(0);
    EXPECT_EQ(w.Size(), 92u);
    return w.Take();
}

TEST(DialogTemplate, ReadsAPlainTemplateAndWritesItBack) {
    const Bytes bytes = PlainDialog();
    std::optional<DialogTemplate> d = DialogTemplate::Parse(View(bytes));
    ASSERT_TRUE(d);
    EXPECT_FALSE(d->extended);
    EXPECT_EQ(d->style, 0x80C00040u);
    EXPECT_EQ(d->exStyle, 0u);
    EXPECT_EQ((std::array<int, 4>{d->x, d->y, d->cx, d->cy}),
              (std::array<int, 4>{10, 20, 200, 100}));
    EXPECT_EQ(d->menu, NameOrOrdinal::Ordinal(101));
    EXPECT_TRUE(d->windowClass.Empty());
    EXPECT_EQ(d->title, u"Hi");
    ASSERT_TRUE(d->HasFont());
    EXPECT_EQ(d->font.pointSize, 8);
    EXPECT_EQ(d->font.typeface, u"MS Shell Dlg");
    ASSERT_EQ(d->items.size(), 2u);

    const DialogItem& ok = d->items[0];
    EXPECT_EQ(ok.style, 0x50010001u);
    EXPECT_EQ((std::array<int, 4>{ok.x, ok.y, ok.cx, ok.cy}), (std::array<int, 4>{5, 6, 50, 14}));
    EXPECT_EQ(ok.id, 1u);
    EXPECT_EQ(ok.windowClass, NameOrOrdinal::Ordinal(dialog_class::kButton));
    EXPECT_EQ(ok.title, NameOrOrdinal::Name(u"OK"));
    EXPECT_TRUE(ok.creationData.empty());

    const DialogItem& custom = d->items[1];
    EXPECT_EQ(custom.exStyle, 4u);
    EXPECT_EQ(custom.id, 0xFFFFu);
    EXPECT_EQ(custom.windowClass, NameOrOrdinal::Name(u"MyClass"));
    EXPECT_EQ(custom.title, NameOrOrdinal::Ordinal(7));
    EXPECT_EQ(custom.creationData, (Bytes{0xAA, 0xBB, 0xCC, 0xDD}));
    EXPECT_TRUE(d->trailing.empty());

    EXPECT_EQ(Serialized(*d), bytes);
}

TEST(DialogTemplate, ReadsAnExtendedTemplateAndWritesItBack) {
    const Bytes bytes = ExtendedDialog();
    std::optional<DialogTemplate> d = DialogTemplate::Parse(View(bytes));
    ASSERT_TRUE(d);
    EXPECT_TRUE(d->extended);
    EXPECT_EQ(d->version, 1);
    EXPECT_EQ(d->helpId, 0x1234u);
    EXPECT_EQ(d->exStyle, 0x100u);
    EXPECT_EQ(d->style, 0x80C80048u);
    EXPECT_EQ(d->x, -1);
    EXPECT_EQ(d->cx, 300);
    EXPECT_EQ(d->menu, NameOrOrdinal::Name(u"M"));
    EXPECT_EQ(d->windowClass, NameOrOrdinal::Ordinal(0x8002));
    EXPECT_EQ(d->title, u"");
    EXPECT_EQ(d->font, (DialogFont{9, 400, 1, 1, u"Segoe UI"}));
    ASSERT_EQ(d->items.size(), 1u);
    const DialogItem& edit = d->items[0];
    EXPECT_EQ(edit.helpId, 7u);
    EXPECT_EQ(edit.exStyle, 0x200u);
    EXPECT_EQ(edit.style, 0x50810080u);
    EXPECT_EQ(edit.id, 0x12345u);
    EXPECT_EQ(edit.windowClass, NameOrOrdinal::Ordinal(dialog_class::kEdit));
    EXPECT_TRUE(edit.title.Empty());

    EXPECT_EQ(Serialized(*d), bytes);
}

// Without DS_SETFONT there is no font block; an item count of 0 leaves the header alone, and
// the padding a compiler put behind it comes back as it was.
TEST(DialogTemplate, NoFontNoItemsAndTrailingPadding) {
    ByteWriter w;
    w.U32(0x80000000).U32(0).U16(0).U16(0).U16(0).U16(10).U16(10);
    w.U16(0).U16(0).U16(0); // no menu, no class, no title -> 24
    w.U16(0).U16(0);        // padding behind the template
    const Bytes bytes = w.Take();
    std::optional<DialogTemplate> d = DialogTemplate::Parse(View(bytes));
    ASSERT_TRUE(d);
    EXPECT_FALSE(d->HasFont());
    EXPECT_TRUE(d->items.empty());
    EXPECT_EQ(d->trailing, (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(Serialized(*d), bytes);
}

// Removing the first item: the count becomes 1 and the second item moves up to the boundary at
// 60 with its bytes unchanged.
TEST(DialogTemplate, EditedItemsKeepTheirAlignment) {
    const Bytes bytes = PlainDialog();
    std::optional<DialogTemplate> d = DialogTemplate::Parse(View(bytes));
    ASSERT_TRUE(d);
    d->items.erase(d->items.begin());
    Bytes expected(bytes.begin(), bytes.begin() + 60);
    Put16(expected, 8, 1);
    expected = expected + Bytes(bytes.begin() + 92, bytes.end());
    EXPECT_EQ(Serialized(*d), expected);

    // A plain item keeps 16 bits of its ID.
    d->items[0].id = 0x12345;
    EXPECT_EQ(View(Serialized(*d)).U16(60 + 16), 0x2345);
}

TEST(DialogTemplate, RefusesTemplatesThatRunPastTheEnd) {
    for (const Bytes& good : {PlainDialog(), ExtendedDialog()})
        for (std::size_t size = 0; size < good.size(); ++size)
            EXPECT_FALSE(DialogTemplate::Parse(View(Bytes(good.begin(), good.begin() + size))))
                << "cut at " << size << " of " << good.size();

    Bytes absurdCount = PlainDialog();
    Put16(absurdCount, 8, 0xFFFF);
    EXPECT_FALSE(DialogTemplate::Parse(View(absurdCount)));
    Bytes longCreationData = PlainDialog();
    Put16(longCreationData, 130, 6);
    EXPECT_FALSE(DialogTemplate::Parse(View(longCreationData)));
    Bytes unterminatedTypeface = ExtendedDialog();
    unterminatedTypeface.resize(58); // "Segoe UI" without its NUL, at the very end
    EXPECT_FALSE(DialogTemplate::Parse(View(unterminatedTypeface)));
}

} // namespace
