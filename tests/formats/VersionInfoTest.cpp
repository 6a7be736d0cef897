// VS_VERSIONINFO blocks against bytes written by hand from the published node layout: the tree
// read from them, the same bytes written back, edits, and blocks that must not be read at all.
#include "formats/VersionInfo.h"

#include "formats/VersionNames.h"
#include "support/ByteBuilder.h"
#include "support/Serialized.h"

#include <gtest/gtest.h>

using namespace vellum;
using namespace vellum::test;

namespace {

// A node header and its key with the terminator; the caller pads and adds value and children.
// Every length is counted by hand in the comments of the blocks below.
void Node(ByteWriter& w, std::uint16_t length, std::uint16_t valueLength, std::uint16_t type,
          std::u16string_view key) {
    w.U16(length).U16(valueLength).U16(type).Utf16(key).U16(0);
}

// VS_FIXEDFILEINFO of file version 1.2.3.4, product version 5.6.7.8, mask 0x3F, flags 0x2,
// VOS_NT_WINDOWS32, VFT_DLL.
void Fixed(ByteWriter& w) {
    w.U32(0xFEEF04BD).U32(0x00010000).U32(0x00010002).U32(0x00030004);
    w.U32(0x00050006).U32(0x00070008).U32(0x3F).U32(0x2).U32(0x40004).U32(2).U32(0);
    w.U32(0).U32(0);
}

// The root's header, its padding and VS_FIXEDFILEINFO: 92 bytes.
void Root(ByteWriter& w, std::uint16_t length) {
    Node(w, length, 52, 0, u"VS_VERSION_INFO");
    w.U16(0);
    Fixed(w);
}

// Two string tables and two Var nodes:
//   0   root, 380 bytes: header 6 + "VS_VERSION_INFO" 32 = 38, padding to 40, value 52 -> 92
//   92  StringFileInfo, 194: 6 + 30 = 36 -> 128
//   128 "040904B0", 88: 6 + 18 = 24 -> 152
//   152 FileVersion = "1.0", 40: 6 + 24 = 30, padding to 32, value 8 -> 192
//   192 Comments = "" (no value), 24: 6 + 18 -> 216
//   216 "040704B0", 70: 24 -> 240
//   240 ProductName = "Vellum", 46: 32 + 14 -> 286 (no padding counted)
//   288 VarFileInfo, 92: 6 + 24 = 30, padding to 32 -> 320
//   320 Translation 0409 04B0, 36: 32 + 4 -> 356
//   356 Extra, 24: 6 + 12 = 18, padding to 20, value 4 -> 380
Bytes TwoTablesTwoVars() {
    ByteWriter w;
    Root(w, 380);
    Node(w, 194, 0, 1, u"StringFileInfo");
    Node(w, 88, 0, 1, u"040904B0");
    Node(w, 40, 4, 1, u"FileVersion");
    w.U16(0).Utf16(u"1.0").U16(0);
    Node(w, 24, 0, 1, u"Comments");
    Node(w, 70, 0, 1, u"040704B0");
    Node(w, 46, 7, 1, u"ProductName");
    w.U16(0).Utf16(u"Vellum").U16(0);
    w.U16(0); // padding between StringFileInfo and VarFileInfo
    Node(w, 92, 0, 1, u"VarFileInfo");
    w.U16(0);
    Node(w, 36, 4, 0, u"Translation");
    w.U16(0).U8(0x09).U8(0x04).U8(0xB0).U8(0x04);
    Node(w, 24, 4, 0, u"Extra");
    w.U16(0).U32(0xDEADBEEF);
    EXPECT_EQ(w.Size(), 380u);
    return w.Take();
}

TEST(VersionInfo, ReadsEveryNodeAndWritesTheSameBytes) {
    const Bytes block = TwoTablesTwoVars();
    std::optional<VersionInfo> info = VersionInfo::Parse(View(block));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->root.key, u"VS_VERSION_INFO");
    EXPECT_EQ(info->root.type, 0);
    ASSERT_EQ(info->root.children.size(), 2u);

    std::vector<const VersionNode*> tables = info->StringTables();
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(tables[0]->key, u"040904B0");
    ASSERT_EQ(tables[0]->children.size(), 2u);
    EXPECT_EQ(tables[0]->children[0].key, u"FileVersion");
    EXPECT_EQ(tables[0]->children[0].Text(), u"1.0");
    EXPECT_EQ(tables[0]->children[0].valueLength, 4);
    EXPECT_EQ(tables[0]->children[1].key, u"Comments");
    EXPECT_TRUE(tables[0]->children[1].value.empty());
    EXPECT_EQ(tables[1]->key, u"040704B0");
    ASSERT_EQ(tables[1]->children.size(), 1u);
    EXPECT_EQ(tables[1]->children[0].Text(), u"Vellum");

    std::vector<const VersionNode*> vars = info->Vars();
    ASSERT_EQ(vars.size(), 2u);
    EXPECT_EQ(vars[0]->key, u"Translation");
    EXPECT_EQ(TranslationsOf(*vars[0]), (std::vector<Translation>{{0x0409, 0x04B0}}));
    EXPECT_EQ(vars[1]->key, u"Extra");
    EXPECT_EQ(vars[1]->value, (Bytes{0xEF, 0xBE, 0xAD, 0xDE}));
    for (const VersionNode* node : {vars[0], vars[1], tables[0], tables[1]})
        EXPECT_TRUE(node->trailing.empty());

    EXPECT_EQ(Serialized(*info), block);
}

TEST(VersionInfo, FixedFileInfoFieldsAndReplacement) {
    std::optional<VersionInfo> info = VersionInfo::Parse(View(TwoTablesTwoVars()));
    ASSERT_TRUE(info);
    std::optional<FixedFileInfo> fixed = info->Fixed();
    ASSERT_TRUE(fixed);
    EXPECT_EQ(fixed->signature, kFixedFileInfoSignature);
    EXPECT_EQ(FixedFileInfo::Parts(fixed->fileVersionMs, fixed->fileVersionLs),
              (std::array<std::uint16_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(FixedFileInfo::Parts(fixed->productVersionMs, fixed->productVersionLs),
              (std::array<std::uint16_t, 4>{5, 6, 7, 8}));
    EXPECT_EQ(fixed->flagsMask, 0x3Fu);
    EXPECT_EQ(fixed->flags, 0x2u);
    EXPECT_EQ(fixed->os, 0x40004u);
    EXPECT_EQ(fixed->type, 2u);

    fixed->fileVersionMs = 0x00090008;
    fixed->type = 7;
    info->SetFixed(*fixed);
    Bytes expected = TwoTablesTwoVars();
    Put32(expected, 40 + 8, 0x00090008);
    Put32(expected, 40 + 36, 7);
    EXPECT_EQ(Serialized(*info), expected);
}

// Edits change lengths up the tree: "1.0" becomes "10.0.1" (7 characters with the NUL, 14 bytes
// instead of 8), so FileVersion grows to 46, its table to 96 (Comments moves to the boundary at
// 200), StringFileInfo to 202 and the root to 388.
TEST(VersionInfo, EditedTextRecomputesEveryLength) {
    std::optional<VersionInfo> info = VersionInfo::Parse(View(TwoTablesTwoVars()));
    ASSERT_TRUE(info);
    VersionNode* table = info->root.Child(u"StringFileInfo")->Child(u"040904B0");
    table->Child(u"FileVersion")->SetText(u"10.0.1");
    Bytes out = Serialized(*info);
    ByteView v = View(out);
    EXPECT_EQ(out.size(), 388u);
    EXPECT_EQ(v.U16(0), 388);
    EXPECT_EQ(v.U16(92), 202);
    EXPECT_EQ(v.U16(128), 96);
    EXPECT_EQ(v.U16(152), 46);
    EXPECT_EQ(v.U16(152 + 2), 7);
    EXPECT_EQ(v.U16(198), 0) << "padding before Comments";
    EXPECT_EQ(v.U16(200), 24);
    std::optional<VersionInfo> back = VersionInfo::Parse(View(out));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->StringTables()[0]->children[0].Text(), u"10.0.1");
    EXPECT_EQ(back->StringTables()[0]->children[1].key, u"Comments");
}

// A String with an empty value is header and key alone: wValueLength 0, no value bytes.
TEST(VersionInfo, EmptyValueWritesNoValue) {
    VersionNode node;
    node.key = u"Comments";
    node.SetText(u"1");
    node.SetText(u"");
    VersionInfo info;
    info.root.key = u"VS_VERSION_INFO";
    info.root.type = 0;
    info.root.children.push_back(node);
    // root: 6 + 32 = 38, the child on the boundary at 40: 6 + 18 = 24 -> 64
    ByteWriter w;
    Node(w, 64, 0, 0, u"VS_VERSION_INFO");
    w.U16(0);
    Node(w, 24, 0, 1, u"Comments");
    EXPECT_EQ(Serialized(info), w.Data());
}

TEST(VersionInfo, TranslationPairsAsBytes) {
    EXPECT_EQ(TranslationBytes({{1033, 1200}}), (Bytes{0x09, 0x04, 0xB0, 0x04}));
    EXPECT_EQ(TranslationBytes({{1033, 1200}, {1031, 1252}}),
              (Bytes{0x09, 0x04, 0xB0, 0x04, 0x07, 0x04, 0xE4, 0x04}));
    EXPECT_EQ(StringTableKey({0x0409, 0x04B0}), u"040904B0");
    VersionNode var;
    var.SetBinary({0x09, 0x04, 0xB0, 0x04, 0x07});
    EXPECT_EQ(TranslationsOf(var), (std::vector<Translation>{{1033, 1200}}));
}

// VarFileInfo first, then a table of thirteen strings, each "S<letter>" = "v" (6 + 6 = 12, on the
// boundary already, value 4 -> 16); the table: 24 + 13 * 16 = 232.
Bytes VarsFirstThirteenStrings() {
    ByteWriter w;
    // root 40 + 52 = 92; VarFileInfo 32 + 36 = 68 -> 160; StringFileInfo 36 + 232 = 268 -> 428
    Root(w, 428);
    Node(w, 68, 0, 1, u"VarFileInfo");
    w.U16(0);
    Node(w, 36, 4, 0, u"Translation");
    w.U16(0).U32(0x04B00409);
    Node(w, 268, 0, 1, u"StringFileInfo");
    Node(w, 232, 0, 1, u"040904B0");
    for (int i = 0; i < 13; ++i) {
        char16_t digit = char16_t(u'a' + i);
        Node(w, 16, 2, 1, std::u16string{u'S', digit});
        w.U16(u'v').U16(0);
    }
    EXPECT_EQ(w.Size(), 428u);
    return w.Take();
}

TEST(VersionInfo, VarFileInfoFirstAndThirteenStringsAllKept) {
    const Bytes block = VarsFirstThirteenStrings();
    std::optional<VersionInfo> info = VersionInfo::Parse(View(block));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->root.children[0].key, u"VarFileInfo");
    ASSERT_EQ(info->StringTables().size(), 1u);
    const VersionNode& table = *info->StringTables()[0];
    ASSERT_EQ(table.children.size(), 13u);
    EXPECT_EQ(table.children[12].key, u"Sm");
    EXPECT_EQ(table.children[12].Text(), u"v");
    EXPECT_EQ(TranslationsOf(*info->Vars()[0]), (std::vector<Translation>{{1033, 1200}}));
    EXPECT_EQ(Serialized(*info), block);
}

// Compilers differ in what wLength covers and how they count text; each form reads and writes
// back as it was.
TEST(VersionInfo, CompilerVariantsRoundTrip) {
    // At 92 a String whose wLength counts its padding (6 + 4, padding, "vw" 6 -> 18, padding
    // -> 20); at 112 one whose value is counted in bytes (4 for "w" and its NUL; 16); then
    // padding inside the root (130) and behind it.
    ByteWriter w;
    Root(w, 130);
    Node(w, 20, 3, 1, u"S");
    w.U16(0).Utf16(u"vw").U16(0).U16(0);
    Node(w, 16, 4, 1, u"T");
    w.U16(0).U16(u'w').U16(0);
    w.U16(0); // padding behind the String, inside the root
    w.U32(0); // behind the root, inside the resource
    const Bytes block = w.Take();
    std::optional<VersionInfo> info = VersionInfo::Parse(View(block));
    ASSERT_TRUE(info);
    ASSERT_EQ(info->root.children.size(), 2u);
    EXPECT_EQ(info->root.children[0].Text(), u"vw");
    EXPECT_EQ(info->root.children[0].trailing, (Bytes{0, 0}));
    EXPECT_EQ(info->root.children[1].Text(), u"w");
    EXPECT_EQ(info->root.children[1].valueLength, 4);
    EXPECT_EQ(info->root.trailing, (Bytes{0, 0}));
    EXPECT_EQ(info->after, (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(Serialized(*info), block);
}

TEST(VersionInfo, RefusesBlocksItCannotReadWhole) {
    const Bytes good = TwoTablesTwoVars();
    for (std::size_t size = 0; size < good.size(); ++size)
        EXPECT_FALSE(VersionInfo::Parse(View(Bytes(good.begin(), good.begin() + size))))
            << "cut at " << size;

    auto with = [&](std::size_t at, std::uint16_t value) {
        Bytes b = good;
        Put16(b, at, value);
        return b;
    };
    const std::pair<Bytes, const char*> cases[] = {
        {with(0, 0), "no block"},
        {with(0, 381), "root longer than the resource"},
        {with(128, 200), "a table longer than StringFileInfo"},
        {with(152, 4), "a node shorter than its header"},
        {with(320 + 2, 1000), "a binary value past its node"},
        {with(356 + 4, 2), "wType 2"},
        {with(6, 'W'), "root key not VS_VERSION_INFO"},
        {with(192 + 22, 'x'), "a key without its NUL before its node ends"},
        {with(152, 34), "bytes behind a String that are no node"},
    };
    for (const auto& [bytes, what] : cases)
        EXPECT_FALSE(VersionInfo::Parse(View(bytes))) << what;
}

TEST(VersionInfo, RefusesNestingBeyondTheLimit) {
    // Nodes keyed "k" nested inside each other, each 12 bytes longer than its child.
    auto nested = [](int depth) {
        Bytes inner;
        for (int level = depth; level >= 0; --level) {
            ByteWriter w;
            std::u16string key = level == 0 ? u"VS_VERSION_INFO" : u"k";
            Node(w, 0, 0, 1, key);
            w.Align(4).Append(inner);
            w.Patch16(0, std::uint32_t(w.Size()));
            inner = w.Take();
        }
        return inner;
    };
    EXPECT_TRUE(VersionInfo::Parse(View(nested(kMaxVersionDepth))));
    EXPECT_FALSE(VersionInfo::Parse(View(nested(kMaxVersionDepth + 1))));
}

TEST(VersionNames, PublishedValuesBothWays) {
    EXPECT_EQ(NameOfValue(FileOsNames(), 0x40004), "VOS_NT_WINDOWS32");
    EXPECT_EQ(NameOfValue(FileOsNames(), 0x50000), "VOS_WINCE");
    EXPECT_EQ(NameOfValue(FileOsNames(), 0x30003), "VOS_OS232_PM32");
    EXPECT_EQ(NameOfValue(FileOsNames(), 1), "VOS__WINDOWS16");
    EXPECT_EQ(NameOfValue(FileOsNames(), 0x60000), std::nullopt);
    EXPECT_EQ(ValueOfName(FileOsNames(), "vos_nt_windows32"), 0x40004u);
    EXPECT_EQ(ValueOfName(FileOsNames(), "VOS_WINDOWS16"), 1u);
    EXPECT_EQ(ValueOfName(FileOsNames(), "VOS_OS216_PM32"), 0x30003u);
    EXPECT_EQ(ValueOfName(FileOsNames(), "VOS_BEOS"), std::nullopt);

    EXPECT_EQ(NameOfValue(FileTypeNames(), 7), "VFT_STATIC_LIB");
    EXPECT_EQ(NameOfValue(FileTypeNames(), 6), std::nullopt);
    EXPECT_EQ(ValueOfName(FileTypeNames(), "VFT_DLL"), 2u);

    EXPECT_EQ(NameOfValue(FileSubtypeNames(3), 0xB), "VFT2_DRV_INPUTMETHOD");
    EXPECT_EQ(NameOfValue(FileSubtypeNames(4), 3), "VFT2_FONT_TRUETYPE");
    EXPECT_EQ(NameOfValue(FileSubtypeNames(1), 0), "VFT2_UNKNOWN");
    EXPECT_EQ(NameOfValue(FileSubtypeNames(1), 3), std::nullopt);
    EXPECT_EQ(ValueOfName(FileFlagNames(), "VS_FF_SPECIALBUILD"), 0x20u);
}

} // namespace
