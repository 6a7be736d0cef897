#include "decompiler/NeDumper.h"

#include "common/ErrorTrail.h"
#include "common/TestSupport.h"
#include "compiler/NeWriter.h"
#include "support/PeBuilder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>

using namespace vellum;
using namespace vellum::test;
namespace fs = std::filesystem;

namespace {

struct NeRes {
    std::uint16_t type, id;
    Bytes data;
};

// A small library: DOS header, NE header at 0x40 (e_lfarlc 0x40, e_lfanew 0x40) or, old style,
// at 0x80 (e_lfarlc 0x1E), resource table at 0x100, the data from 0x200 in table order, each
// padded to the unit, then `trailer`. nameAt[i] is where resource i's NAMEINFO lies.
struct NeFile {
    Bytes bytes;
    std::vector<std::size_t> nameAt;
};
NeFile BuildNe(const std::vector<NeRes>& res, unsigned shift = 0, const Bytes& trailer = {},
               bool oldStyle = false) {
    NeFile f{Bytes(0x200, 0), {}};
    std::size_t header = oldStyle ? 0x80 : 0x40;
    f.bytes[0] = 'M';
    f.bytes[1] = 'Z';
    Put16(f.bytes, 0x18, oldStyle ? 0x1E : 0x40);
    Put16(f.bytes, 0x3C, 0x40);
    f.bytes[header] = 'N';
    f.bytes[header + 1] = 'E';
    Put16(f.bytes, header + 0x24, std::uint32_t(0x100 - header));
    std::size_t at = 0x102, unit = std::size_t(1) << shift;
    Put16(f.bytes, 0x100, shift);
    for (std::size_t i = 0; i < res.size(); at += 8) {
        std::size_t j = i;
        while (j < res.size() && res[j].type == res[i].type)
            ++j;
        Put16(f.bytes, at, 0x8000 | res[i].type);
        Put16(f.bytes, at + 2, std::uint32_t(j - i));
        for (; i < j; ++i, at += 12) {
            f.bytes.resize((f.bytes.size() + unit - 1) / unit * unit, 0);
            Put16(f.bytes, at + 8, std::uint32_t(f.bytes.size() >> shift));
            Put16(f.bytes, at + 10, std::uint32_t((res[i].data.size() + unit - 1) >> shift));
            Put16(f.bytes, at + 14, 0x8000 | res[i].id);
            f.nameAt.push_back(at + 8);
            f.bytes.insert(f.bytes.end(), res[i].data.begin(), res[i].data.end());
        }
    }
    f.bytes.resize((f.bytes.size() + unit - 1) / unit * unit, 0);
    f.bytes.insert(f.bytes.end(), trailer.begin(), trailer.end());
    return f;
}

// A BITMAPINFOHEADER for an icon of `size` pixels square (height doubled), then `rest` bytes.
Bytes Dib(std::uint32_t size, std::uint16_t bits, std::uint32_t used = 0, std::size_t rest = 8,
          std::uint32_t compression = 0) {
    DibFields header{.width = std::int32_t(size),
                     .height = std::int32_t(size * 2),
                     .bitCount = bits,
                     .compression = compression,
                     .coloursUsed = used};
    return DibHeaderBytes(header) + Bytes(rest, 0x5A);
}

// A group resource with one 14-byte entry per member {ID, bit count, bytes, width and height}.
Bytes Group(std::uint16_t type, const std::vector<std::array<std::uint32_t, 4>>& members) {
    std::vector<GroupMember> entries;
    for (auto [id, bits, bytes, size] : members)
        entries.push_back({.width = std::uint8_t(size),
                           .height = std::uint8_t(size),
                           .bitCount = std::uint16_t(bits),
                           .bytes = bytes,
                           .id = std::uint16_t(id)});
    return GroupBytes(type, entries);
}

struct Library {
    ScratchDir dir;
    ScriptedPrompter prompter;
    NeDumper dumper{prompter};
    explicit Library(const NeFile& file) : Library(file.bytes) {}
    explicit Library(const Bytes& bytes) {
        WriteFileText(dir / "lib.icl", std::string(bytes.begin(), bytes.end()));
        ClearErrorTrail();
        EXPECT_EQ(dumper.Open(dir / "lib.icl"), S_OK);
    }
    Bytes Extract(unsigned type, unsigned id, bool raw = false) {
        EXPECT_EQ(dumper.ExtractOne(type, id, dir / "out", raw), S_OK);
        return ReadFileBytes(dir / "out");
    }
};

std::string Trail() {
    return TakeErrorTrail().value_or("");
}

// The first 22 bytes of a single-image icon (type 1) or cursor (type 2) file: the header and
// the directory entry, whose words `a` and `b` are 0 for an icon and the hot spot of a cursor.
Bytes IconHeader(std::uint8_t w, std::uint8_t h, std::uint8_t colours, std::uint16_t a,
                 std::uint16_t b, std::uint32_t bytes, std::uint16_t type = 1) {
    ByteWriter header;
    header.U16(0).U16(type).U16(1);
    header.U8(w).U8(h).U8(colours).U8(0).U16(a).U16(b).U32(bytes).U32(22);
    return header.Take();
}

// The seven manifest lines of one resource, as the XML writer lays them out.
std::string ResourceLines(unsigned id, const std::string& file) {
    std::string i9(9, ' ');
    return i9 + "<ENTRY ID=\"" + std::to_string(id) + "\" Directory=\"1\">\r\n" + i9 +
           "   <DIRECTORY ID=\"0\" Named_Entries=\"0\" ID_Entries=\"1\">\r\n" + i9 +
           "      <ENTRY ID=\"0\" Directory=\"0\">\r\n" + i9 + "         <FILE Name=\"" + file +
           "\" Size=\"1\"/>\r\n" + i9 + "      </ENTRY>\r\n" + i9 + "   </DIRECTORY>\r\n" + i9 +
           "</ENTRY>\r\n";
}
std::string TypeLines(unsigned type, unsigned count, const std::string& resources) {
    std::string n = std::to_string(type);
    return "   <ENTRY ID=\"" + n + "\" Directory=\"1\">\r\n      <DIRECTORY TYPE=\"" + n +
           "\" Named_Entries=\"0\" ID_Entries=\"" + std::to_string(count) + "\">\r\n" + resources +
           "      </DIRECTORY>\r\n   </ENTRY>\r\n";
}

// Whole images of 16x16 pixels: the header, the colour table, 16 XOR rows and 16 AND rows of 4
// bytes. At 4 bpp 40 + 64 + 16 * 8 + 64 = 296 bytes, at 8 bpp 40 + 1024 + 16 * 16 + 64 = 1384.
const Bytes kIcon4 = Dib(16, 4, 0, 64 + 128 + 64);
const Bytes kIcon8 = Dib(16, 8, 0, 1024 + 256 + 64);
// 32x32 at 1 bpp: 40 + 8 + 32 * 4 + 32 * 4 = 304 bytes.
const Bytes kCursorImage = Dib(32, 1, 0, 8 + 128 + 128);

TEST(NeDumper, DumpWritesImageFilesRawGroupsAndAManifestSortedByType) {
    Bytes group = Group(1, {{1, 4, 296, 16}, {2, 8, 1384, 16}, {3, 4, 296, 16}});
    std::vector<NeRes> icons{{3, 1, kIcon4}, {3, 2, kIcon8}, {3, 3, kIcon4}};
    std::string expected =
        "<?xml version='1.0' encoding='ISO-8859-1'?>\r\n"
        "<DIRECTORY TYPE=\"0\" Named_Entries=\"0\" ID_Entries=\"2\">\r\n" +
        TypeLines(3, 3,
                  ResourceLines(1, "Icon00001.ico") + ResourceLines(2, "Icon00002.ico") +
                      ResourceLines(3, "Icon00003.ico")) +
        TypeLines(14, 1, ResourceLines(1, "1400001")) + "</DIRECTORY>\r\n";
    for (bool groupFirst : {true, false}) {
        std::vector<NeRes> all = icons;
        all.insert(groupFirst ? all.begin() : all.end(), NeRes{14, 1, group + BytesOf("pad")});
        Library lib(BuildNe(all, 4));
        ASSERT_EQ(lib.dumper.Dump(lib.dir / "ne.xml"), S_OK);
        EXPECT_EQ(ReadFileText(lib.dir / "ne.xml"), expected);
        EXPECT_EQ(ReadFileBytes(lib.dir / "1400001"), group); // the padding is not part of it
        // The image without the 8 bytes that pad it to 1392.
        EXPECT_EQ(ReadFileBytes(lib.dir / "Icon00002.ico"),
                  IconHeader(16, 16, 0, 0, 0, 1384) + kIcon8);
    }
}

TEST(NeDumper, ImageEntriesCountPaletteColoursAndCursorsKeepTheirHotSpot) {
    Bytes hotSpot{3, 0, 7, 0};
    Library lib(BuildNe({{1, 1, hotSpot + Dib(32, 1)},
                         {3, 1, Dib(16, 4)},
                         {3, 2, Dib(16, 8)},
                         {3, 3, Dib(16, 1)},
                         {3, 4, Dib(16, 4, 5)},
                         {3, 5, Dib(16, 24)},
                         {3, 6, Dib(16, 8, 0, 8, 3)}},
                        0, BytesOf("..")));
    EXPECT_EQ(lib.Extract(1, 1), IconHeader(32, 32, 2, 3, 7, 48, 2) + Dib(32, 1));
    std::uint8_t colours[] = {16, 0, 2, 5, 0};
    for (unsigned id = 1; id <= 5; ++id)
        EXPECT_EQ(lib.Extract(3, id)[8], colours[id - 1]) << id;
    EXPECT_TRUE(lib.prompter.Shown().empty());
    lib.Extract(3, 6); // bit-field compression is questionable in an icon, but it is written
    ASSERT_EQ(lib.prompter.Shown().size(), 1u);
    EXPECT_EQ(lib.prompter.Shown()[0].title, "Bad");
    EXPECT_EQ(lib.prompter.Shown()[0].message, "biCompression");
}

TEST(NeDumper, ResourcesRunToTheNextStartOrTwoBytesBeforeTheEnd) {
    NeFile f =
        BuildNe({{10, 1, BytesOf("aaaa")}, {10, 2, BytesOf("bbbbbb")}, {10, 3, BytesOf("cc")}}, 0,
                BytesOf("XYZW"));
    Library inOrder(f.bytes);
    EXPECT_EQ(inOrder.Extract(10, 3), BytesOf("ccXY"));
    // Table order 1, 2, 3 with the data of 1 and 3 swapped: 1 (now last in the file) ends two
    // bytes before the end, 2 at the nearest later start, 3 at the start of 2.
    std::swap(f.bytes[f.nameAt[0]], f.bytes[f.nameAt[2]]);
    Library swapped(f.bytes);
    EXPECT_EQ(swapped.Extract(10, 1), BytesOf("ccXY"));
    EXPECT_EQ(swapped.Extract(10, 2), BytesOf("bbbbbb"));
    EXPECT_EQ(swapped.Extract(10, 3), BytesOf("aaaa"));
}

TEST(NeDumper, ResourcesOutsideTheFileAreSkippedWithAMessage) {
    NeFile f = BuildNe({{10, 1, BytesOf("kept")}, {10, 2, BytesOf("lost")}}, 0, BytesOf("!!"));
    Put16(f.bytes, f.nameAt[1], 0xFFFF);
    Library lib(f.bytes);
    ASSERT_EQ(lib.dumper.Dump(lib.dir / "ne.xml"), S_OK);
    EXPECT_NE(Trail().find("Resource 2 of type 10 (offset 0xffff"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(lib.dir / "1000001"), BytesOf("keptlost"));
    EXPECT_FALSE(fs::exists(lib.dir / "1000002"));
    EXPECT_NE(
        ReadFileText(lib.dir / "ne.xml").find("TYPE=\"10\" Named_Entries=\"0\" ID_Entries=\"1\""),
        std::string::npos);
    EXPECT_EQ(lib.dumper.ExtractOne(10, 2, lib.dir / "x", false), E_FAIL);
    EXPECT_EQ(lib.dumper.ExtractOne(10, 9, lib.dir / "x", false), E_FAIL);
    EXPECT_NE(Trail().find("holds no resource of type 10 with ID 9"), std::string::npos);
    EXPECT_FALSE(fs::exists(lib.dir / "x"));
}

TEST(NeDumper, GroupsBecomeCompleteFilesWithinTheirMembers) {
    Bytes hotSpot{5, 0, 6, 0};
    Library lib(BuildNe({{3, 1, Dib(16, 4)},
                         {3, 2, Dib(16, 8, 0, 16)},
                         {14, 1, Group(1, {{1, 4, 48, 16}, {9, 4, 48, 16}, {2, 8, 56, 16}})},
                         {1, 1, hotSpot + Dib(32, 1)},
                         {12, 1, Group(2, {{1, 1, 1000, 32}})}},
                        4));
    Bytes ico{0, 0, 1, 0,  2,  0, 16, 16, 16, 0, 1, 0,  4, 0, 48, 0,  0, 0, 38,
              0, 0, 0, 16, 16, 0, 0,  1,  0,  8, 0, 56, 0, 0, 0,  86, 0, 0, 0};
    EXPECT_EQ(lib.Extract(14, 1), ico + Dib(16, 4) + Dib(16, 8, 0, 16));
    EXPECT_NE(Trail().find("Member 9 of group 1 is missing"), std::string::npos);
    // The group claims 1000 bytes; the cursor holds 48 after its hot spot, padded to 64.
    Bytes cur{0, 0, 2, 0, 1, 0, 32, 32, 2, 0, 5, 0, 6, 0, 60, 0, 0, 0, 22, 0, 0, 0};
    EXPECT_EQ(lib.Extract(12, 1), cur + Dib(32, 1) + Bytes(12, 0));
}

TEST(NeDumper, ExtractTypeNamesFilesByHexadecimalId) {
    std::vector<NeRes> icons;
    for (std::uint16_t id = 1; id <= 10; ++id)
        icons.push_back({3, id, Dib(16, 4)});
    Library lib(BuildNe(icons));
    ASSERT_EQ(lib.dumper.ExtractType(3, lib.dir / "a.ico"), S_OK);
    for (const char* name : {"a00001.ico", "a00009.ico", "a0000a.ico"})
        EXPECT_TRUE(fs::exists(lib.dir / name)) << name;
    EXPECT_FALSE(fs::exists(lib.dir / "a00010.ico"));
    EXPECT_EQ(lib.dumper.ExtractType(12, lib.dir / "c.cur"), S_FALSE);
}

// ---- where resources end -----------------------------------------------------------------

// A 32x32 PNG stream of 67 bytes: signature 8, IHDR 12 + 13, IDAT 12 + 10, IEND 12. The CRCs
// are zero; only the chunk framing matters here.
Bytes PngImage() {
    return kPngSignature + PngChunk("IHDR", PngHeaderData(32, 32)) +
           PngChunk("IDAT", Bytes(10, 0)) + PngChunk("IEND", {});
}

Bytes Prefix(const Bytes& bytes, std::size_t n) {
    return Bytes(bytes.begin(), bytes.begin() + std::ptrdiff_t(n));
}

TEST(NeDumper, AGroupThatEndsTheFileKeepsItsLastEntry) {
    // Three 14-byte entries after the 6-byte header: 48 bytes, the last of the file.
    Bytes group = Group(1, {{1, 4, 296, 16}, {2, 8, 1384, 16}, {3, 4, 296, 16}});
    NeFile f = BuildNe({{3, 1, kIcon4}, {3, 2, kIcon8}, {3, 3, kIcon4}, {14, 1, group}});
    ASSERT_EQ(f.bytes.size(), 0x200u + 296 + 1384 + 296 + 48);
    Library lib(f);
    EXPECT_EQ(lib.Extract(14, 1, true), group);
    Bytes ico = lib.Extract(14, 1);
    ASSERT_EQ(ico.size(), 6u + 3 * 16 + 296 + 1384 + 296);
    EXPECT_EQ(ico[4], 3);
    EXPECT_EQ(Bytes(ico.end() - 296, ico.end()), kIcon4);
}

TEST(NeDumper, ImagesLeaveTheAlignmentPaddingBehindThem) {
    // In units of 16 bytes the cursor (4 + 304) has 12 bytes of padding, the icons 8 and 13,
    // the cursor group (20) 12 and the icon group (34) 14, followed by "XY".
    Bytes hotSpot{3, 0, 7, 0};
    Bytes png = PngImage();
    Bytes icons = Group(1, {{1, 4, 296, 16}, {2, 32, 67, 32}});
    Bytes cursors = Group(2, {{1, 1, 308, 32}});
    Library lib(BuildNe({{1, 1, hotSpot + kCursorImage},
                         {3, 1, kIcon4},
                         {3, 2, png},
                         {12, 1, cursors},
                         {14, 1, icons}},
                        4, BytesOf("XY")));
    ASSERT_EQ(lib.dumper.Dump(lib.dir / "ne.xml"), S_OK);
    Bytes cur = IconHeader(32, 32, 2, 3, 7, 304, 2) + kCursorImage;
    EXPECT_EQ(ReadFileBytes(lib.dir / "Cursor00001.cur"), cur);
    EXPECT_EQ(ReadFileBytes(lib.dir / "Icon00001.ico"), IconHeader(16, 16, 16, 0, 0, 296) + kIcon4);
    EXPECT_EQ(ReadFileBytes(lib.dir / "Icon00002.ico"), IconHeader(32, 32, 0, 0, 0, 67) + png);
    EXPECT_EQ(ReadFileBytes(lib.dir / "1200001"), cursors);
    EXPECT_EQ(ReadFileBytes(lib.dir / "1400001"), icons);
    // Group files: each entry's byte count is its image's size (296 = 0x128, 67 = 0x43), the
    // images follow at 38 and 38 + 296 = 0x14E.
    Bytes directory{0,  0,  1,  0, 2, 0,                                       // header
                    16, 16, 16, 0, 1, 0, 4,  0, 0x28, 1, 0, 0, 38,   0, 0, 0,  // 16x16 4 bpp
                    32, 32, 0,  0, 1, 0, 32, 0, 0x43, 0, 0, 0, 0x4E, 1, 0, 0}; // PNG
    EXPECT_EQ(lib.Extract(14, 1), directory + kIcon4 + png);
    EXPECT_EQ(lib.Extract(12, 1), cur);
}

TEST(NeDumper, TheTableLengthBoundsAnImageFromAbove) {
    // 296 bytes take 19 units of 16; the last unit holds 8 bytes of padding.
    NeFile f = BuildNe({{3, 1, kIcon4}, {10, 1, BytesOf("next")}}, 4);
    auto icon = [&f](std::uint16_t units) {
        Put16(f.bytes, f.nameAt[0] + 2, units);
        Library lib(f);
        return lib.Extract(3, 1);
    };
    Bytes whole = IconHeader(16, 16, 16, 0, 0, 296) + kIcon4;
    EXPECT_EQ(icon(16), IconHeader(16, 16, 16, 0, 0, 256) + Prefix(kIcon4, 256))
        << "a length shorter than the image cuts it";
    EXPECT_EQ(icon(19), whole);
    EXPECT_EQ(icon(0), whole) << "0 gives no length";
    EXPECT_EQ(icon(200), whole) << "a length past the next resource";
}

TEST(NeDumper, AnImageCutShortKeepsWhatIsThereUpToTheNextResourceOrTheEnd) {
    NeFile f = BuildNe({{3, 1, kIcon4}});
    f.bytes.resize(0x200 + 200); // 200 of its 296 bytes
    Library dib(f);
    EXPECT_EQ(dib.Extract(3, 1), IconHeader(16, 16, 16, 0, 0, 200) + Prefix(kIcon4, 200));
    f = BuildNe({{3, 1, PngImage()}});
    f.bytes.resize(0x200 + 40); // cut inside IDAT
    Library png(f);
    EXPECT_EQ(png.Extract(3, 1), IconHeader(32, 32, 0, 0, 0, 40) + Prefix(PngImage(), 40));
    // Cut short by the next resource, with no length in the table or one that runs past it.
    f = BuildNe({{3, 1, Prefix(kIcon4, 200)}, {10, 1, BytesOf("next")}});
    for (std::uint16_t units : {0, 0xFFFF}) {
        Put16(f.bytes, f.nameAt[0] + 2, units);
        Library next(f);
        EXPECT_EQ(next.Extract(3, 1), IconHeader(16, 16, 16, 0, 0, 200) + Prefix(kIcon4, 200))
            << units;
    }
}

TEST(NeDumper, ImagesOfUnknownShapeRunToTheNextStartOrTwoBytesBeforeTheEnd) {
    // In units of 16: 20 bytes of text padded to 32, then a run-length image of 48 bytes, whose
    // pixel bytes the header cannot count, and "XYZW" after it.
    Bytes text = BytesOf("no image header here");
    Bytes rle = Dib(16, 8, 0, 8, 1);
    Library lib(BuildNe({{3, 1, text}, {3, 2, rle}}, 4, BytesOf("XYZW")));
    Bytes first = lib.Extract(3, 1);
    EXPECT_EQ(Bytes(first.begin() + 22, first.end()), text + Bytes(12, 0));
    Bytes last = lib.Extract(3, 2);
    EXPECT_EQ(Bytes(last.begin() + 22, last.end()), rle + BytesOf("XY"));
}

TEST(NeDumper, OpenRefusesWhatIsNoIconLibrary) {
    ScriptedPrompter prompter;
    NeDumper dumper(prompter);
    EXPECT_EQ(dumper.ExtractOne(3, 1, "/nonexistent/x", false), E_POINTER);
    EXPECT_EQ(dumper.Open("/nonexistent/lib.icl"), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(dumper.Open(DataPath("resonly.dll")), E_FAIL);
    EXPECT_NE(Trail().find("has no NE header at offset 0x80"), std::string::npos);
    ScratchDir dir;
    auto openBytes = [&](const Bytes& bytes) {
        WriteFileText(dir / "t.icl", std::string(bytes.begin(), bytes.end()));
        return dumper.Open(dir / "t.icl");
    };
    Bytes bytes = BuildNe({{10, 1, BytesOf("x")}}).bytes;
    Put16(bytes, 0x64, 0xFFF0); // ne_rsrctab past the end
    EXPECT_EQ(openBytes(bytes), E_FAIL);
    // A relocation table before 0x40 marks an old-style header, which lies at 0x80 whatever
    // e_lfanew says.
    bytes = BuildNe({{10, 1, BytesOf("x")}}, 0, BytesOf(".."), true).bytes;
    EXPECT_EQ(openBytes(bytes), S_OK);
    Put16(bytes, 0x18, 0x40);
    EXPECT_EQ(openBytes(bytes), E_FAIL);
    ClearErrorTrail();
}

std::string BlankIcl() {
    return DataPath("../../data/blank.icl");
}

std::uint32_t U16(const Bytes& b, std::size_t at) {
    return b.at(at) | b.at(at + 1) << 8;
}
std::uint32_t U32(const Bytes& b, std::size_t at) {
    return U16(b, at) | U16(b, at + 2) << 16;
}

// Dumps the fixture library into lib.dir and rebuilds it there from the manifest.
Bytes DumpAndRebuild(Library& lib) {
    EXPECT_EQ(lib.dumper.Dump(lib.dir / "ne.xml"), S_OK);
    XmlDocument manifest;
    EXPECT_EQ(manifest.Load(lib.dir / "ne.xml"), S_OK);
    std::string rebuilt;
    EXPECT_EQ(NeWriter().Write(manifest, lib.dir.Path(), BlankIcl(), &rebuilt), S_OK);
    EXPECT_EQ(rebuilt, lib.dir / "temp.icl");
    return ReadFileBytes(lib.dir / "temp.icl");
}

TEST(NeDumper, DumpsAndRebuildsTheFixtureLibrary) {
    Bytes blank = ReadFileBytes(BlankIcl());
    EXPECT_EQ(U16(blank, 0x3C) + U16(blank, 0x80 + 0x24), 232u);
    Library lib(ReadFileBytes(DataPath("icons.icl")));
    Bytes out = DumpAndRebuild(lib);
    std::string manifest = ReadFileText(lib.dir / "ne.xml");
    std::size_t at1 = manifest.find("TYPE=\"1\""), at3 = manifest.find("TYPE=\"3\""),
                at12 = manifest.find("TYPE=\"12\""), at14 = manifest.find("TYPE=\"14\"");
    EXPECT_TRUE(at1 < at3 && at3 < at12 && at12 < at14 && at14 != std::string::npos);
    // 16x16 at 4 bpp: 296 image bytes, without the 8 of alignment padding behind them; the
    // cursor's 32x32 at 4 bpp: 40 + 64 + 32 * 16 + 32 * 4 = 744, without 4.
    Bytes icon = ReadFileBytes(lib.dir / "Icon00001.ico");
    EXPECT_EQ(Bytes(icon.begin(), icon.begin() + 22), IconHeader(16, 16, 16, 0, 0, 296));
    EXPECT_EQ(icon.size(), 22u + 296);
    Bytes cursor = ReadFileBytes(lib.dir / "Cursor00001.cur");
    EXPECT_EQ(Bytes(cursor.begin(), cursor.begin() + 22), IconHeader(32, 32, 16, 10, 12, 744, 2));
    EXPECT_EQ(cursor.size(), 22u + 744);
    // Shift 0 (the formula gives -6); type 1 first, its cursor after the 109-byte table and the
    // blank's 12 bytes of name and entry tables: 232 + 109 + 12 = 0x161, 4 + 744 bytes.
    Bytes table{0, 0, 0x01, 0x80, 1, 0, 0, 0, 0, 0, 0x61, 0x01, 0xEC, 0x02, 0x30, 0x10, 0x01, 0x80};
    EXPECT_EQ(Bytes(out.begin() + 232, out.begin() + 250), table);
    EXPECT_EQ(U16(out, 0x80 + 0x26), 341u - 0x80); // ne_restab follows the new table
    EXPECT_EQ(out[341], 5);
    EXPECT_EQ(std::string(out.begin() + 342, out.begin() + 347), "BLANK");
    Library again(out);
    ASSERT_EQ(again.dumper.Dump(again.dir / "ne.xml"), S_OK);
    for (const char* file : {"ne.xml", "Icon00001.ico", "Icon00002.ico", "Icon00003.ico",
                             "Cursor00001.cur", "1200001", "1400001"})
        EXPECT_EQ(ReadFileBytes(again.dir / file), ReadFileBytes(lib.dir / file)) << file;
}

HRESULT RebuildFrom(const std::string& manifestText, const ScratchDir& dir) {
    XmlDocument manifest;
    EXPECT_EQ(manifest.LoadBuffer(reinterpret_cast<const std::uint8_t*>(manifestText.data()),
                                  manifestText.size()),
              S_OK);
    std::string rebuilt;
    return NeWriter().Write(manifest, dir.Path(), BlankIcl(), &rebuilt);
}

std::string OneResource(const std::string& type, const std::string& id, const std::string& file) {
    return "<Entry " + type + "><Directory><Entry " + id +
           "><Directory><Entry ID='1033'><File Name='" + file +
           "'/></Entry></Directory></Entry></Directory></Entry>";
}

TEST(NeDumper, RebuildShiftGrowsUntilTheResourcesFit) {
    EXPECT_EQ(NeAlignmentShift(1000), 0u); // -6 by the formula
    EXPECT_EQ(NeAlignmentShift(65536), 0u);
    EXPECT_EQ(NeAlignmentShift(65537), 1u);
    EXPECT_EQ(NeAlignmentShift(442000), 3u);
    // 160,000 bytes: the formula's shift 1 leaves offsets and lengths above 0xFFFF units.
    ScratchDir dir;
    Bytes big(160000, 0xB1);
    WriteFileText(dir / "big.bin", std::string(big.begin(), big.end()));
    ASSERT_EQ(
        RebuildFrom("<Directory>" + OneResource("ID='10'", "ID='7'", "big.bin") + "</Directory>",
                    dir),
        S_OK);
    Bytes out = ReadFileBytes(dir / "temp.icl");
    ASSERT_EQ(U16(out, 232), 2u);
    EXPECT_EQ(U16(out, 232 + 12), 40000u);
    std::size_t at = U16(out, 232 + 10) << 2;
    EXPECT_EQ(Bytes(out.begin() + at, out.begin() + at + big.size()), big);
}

TEST(NeDumper, RebuildTakesNumberedResourcesInsideTheFolderOnly) {
    ScratchDir dir;
    fs::create_directories(dir / "sub");
    WriteFileText(dir / "sub/data.bin", "payload");
    std::string header = "<Entry Name='DOSHEADER' Ignore='1'><Directory><Entry Name='x'>"
                         "<Directory><Entry ID='1'><File Name='..\\x'/></Entry></Directory>"
                         "</Entry></Directory></Entry>";
    ASSERT_EQ(RebuildFrom("<Directory>" + header +
                              OneResource("Name='MYTYPE'", "ID='1'", "sub\\data.bin") +
                              OneResource("ID='10'", "Name='NAMED'", "sub\\data.bin") +
                              OneResource("ID='10'", "ID='3'", "SUB\\Data.BIN") + "</Directory>",
                          dir),
              S_OK);
    EXPECT_NE(Trail().find("left out"), std::string::npos);
    Bytes good = ReadFileBytes(dir / "temp.icl");
    Library lib(good);
    EXPECT_EQ(lib.Extract(10, 3, true), BytesOf("payload"));
    EXPECT_EQ(RebuildFrom("<Directory>" + OneResource("ID='10'", "ID='3'", "..\\data.bin") +
                              "</Directory>",
                          dir),
              E_FAIL);
    EXPECT_NE(Trail().find("leads outside the folder"), std::string::npos);
    EXPECT_EQ(RebuildFrom("<Directory>" + OneResource("ID='10'", "ID='3'", "missing.bin") +
                              "</Directory>",
                          dir),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ReadFileBytes(dir / "temp.icl"), good); // failures leave the last result alone
    ClearErrorTrail();
}

// ---- icoutils as an independent reader --------------------------------------------------

bool HaveIcoutils() {
    return std::system("command -v wrestool >/dev/null 2>&1") == 0;
}

std::string RunCommand(const std::string& command) {
    std::string out;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

TEST(NeOracle, ExtractedGroupsHoldTheImagesWrestoolExtracts) {
    if (!HaveIcoutils())
        GTEST_SKIP() << "icoutils not installed";
    Library lib(ReadFileBytes(DataPath("icons.icl")));
    for (unsigned type : {14u, 12u}) {
        Bytes ours = lib.Extract(type, 1);
        RunCommand("wrestool -x -t" + std::to_string(type) + " -n1 -o " + lib.dir / "w" + " " +
                   DataPath("icons.icl") + " 2>/dev/null");
        Bytes theirs = ReadFileBytes(lib.dir / "w");
        ASSERT_EQ(U16(ours, 4), U16(theirs, 4));
        for (std::size_t i = 0; i < U16(ours, 4); ++i) {
            std::size_t e = 6 + 16 * i;
            // Width, height, then planes and bit count (icons) or the hot spot (cursors).
            for (std::size_t field : {0, 1, 4, 5, 6, 7})
                EXPECT_EQ(ours[e + field], theirs[e + field]) << type << "/" << i << "/" << field;
            // Their images may keep the alignment padding that follows an image in the library.
            std::uint32_t size = U32(ours, e + 8), theirSize = U32(theirs, e + 8);
            EXPECT_TRUE(size <= theirSize && theirSize < size + 16) << size << " " << theirSize;
            std::size_t a = U32(ours, e + 12), b = U32(theirs, e + 12);
            ASSERT_LE(b + size, theirs.size());
            EXPECT_TRUE(std::equal(ours.begin() + a, ours.begin() + a + size, theirs.begin() + b));
        }
    }
}

TEST(NeOracle, WrestoolListsARebuiltLibraryAsItsManifestSays) {
    if (!HaveIcoutils())
        GTEST_SKIP() << "icoutils not installed";
    Library lib(ReadFileBytes(DataPath("icons.icl")));
    DumpAndRebuild(lib);
    std::string listing = RunCommand("wrestool -l " + lib.dir / "temp.icl" + " 2>&1");
    std::multiset<std::string> listed;
    for (std::size_t at = 0; (at = listing.find("--type=", at)) != std::string::npos; ++at)
        listed.insert(listing.substr(at, listing.find(' ', listing.find("--name=", at)) - at));
    EXPECT_EQ(listed, (std::multiset<std::string>{"--type=1 --name=1", "--type=3 --name=1",
                                                  "--type=3 --name=2", "--type=3 --name=3",
                                                  "--type=12 --name=1", "--type=14 --name=1"}))
        << listing;
}

} // namespace
