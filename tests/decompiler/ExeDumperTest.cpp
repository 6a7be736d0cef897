#include "decompiler/ExeDumper.h"

#include "common/ErrorTrail.h"
#include "common/MappedFile.h"
#include "common/TestSupport.h"
#include "support/PeBuilder.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

using namespace vellum;
using namespace vellum::test;
namespace fs = std::filesystem;

namespace {

// A 40-byte BITMAPINFOHEADER followed by `pixelBytes` bytes of 0xAB. Its image size field holds
// the pixel bytes and its resolution is 72 dots per inch, as drawing programs write them.
Bytes Dib(std::int32_t width, std::int32_t height, std::uint16_t bits, std::size_t pixelBytes,
          std::uint32_t compression = 0, std::uint32_t colorsUsed = 0) {
    DibFields header{.width = width,
                     .height = height,
                     .bitCount = bits,
                     .compression = compression,
                     .imageBytes = std::uint32_t(pixelBytes),
                     .xPixelsPerMetre = 2835,
                     .yPixelsPerMetre = 2835,
                     .coloursUsed = colorsUsed};
    return DibHeaderBytes(header) + Bytes(pixelBytes, 0xAB);
}

struct Dump {
    ScratchDir dir;
    ScriptedPrompter prompter;
    HRESULT result = E_FAIL;
    std::string trail;

    Dump(const Bytes& image, bool visualStyle = false) {
        ClearErrorTrail();
        ExeDumper dumper(prompter);
        dumper.options.visualStyleNaming = visualStyle;
        dumper.options.convertPng = true;
        dumper.SetTextOutput(nullptr);
        result = dumper.DumpExe(ByteView(image.data(), image.size()), dir.Path(), "pe.xml");
        trail = TakeErrorTrail().value_or("");
    }
    std::string Manifest() const { return ReadFileText(dir / "pe.xml"); }
    bool Has(const std::string& name) const { return fs::exists(dir / name); }
};

Bytes ImageOf(const std::vector<TestResource>& resources) {
    return BuildPe({{".rsrc", BuildResourceSection(resources, 0x1000)}});
}

} // namespace

TEST(ExeDumper, WritesTheManifestLineByLine) {
    Dump dump(ImageOf({
        {u"MY'TYPE", 7, 0, BytesOf("abc")},
        {2, u"LOGO", 1033, Dib(1, 1, 24, 4)},
        {3, 1, 1033, Dib(1, 2, 32, 8)},
        {16, 1, 1033, BytesOf("VS_VERSI")},
    }));
    ASSERT_EQ(dump.result, S_OK) << dump.trail;
    // Data RVAs: the section sits at 0x1000; its directories, names and data entries take the
    // first 330 bytes, and each datum starts on a 4-byte boundary.
    std::string expected = ReadFileText(DataPath("golden/manifest-line-by-line/pe.xml"));
    EXPECT_EQ(dump.Manifest(), expected);
    EXPECT_EQ(ReadFileText(dump.dir / "MY&apos;TYPE00007"), "abc");
    EXPECT_EQ(ReadFileText(dump.dir / "VERSION"), "VS_VERSI");
    EXPECT_TRUE(dump.Has("DosHeader.hdr") && dump.Has("NTHeader.hdr"));
    EXPECT_TRUE(dump.Has("DOSHEADER.BIN") && dump.Has("NTHEADER.BIN"));
    EXPECT_FALSE(dump.Has("rsrc.BIN")) << ".rsrc never gets a section file";
}

TEST(ExeDumper, BitmapAndIconFilesGetTheirHeaders) {
    Bytes icon = Dib(16, 32, 4, 8, 0, 0);
    Bytes cursor = {5, 0, 9, 0};
    Bytes cursorDib = Dib(32, 64, 1, 4);
    cursor.insert(cursor.end(), cursorDib.begin(), cursorDib.end());
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D',
                 'R',  0,   0,   1,   0,    0,    0,    1,    0, 8, 6, 0,  0,   0};
    Dump dump(ImageOf({
        {1, 2, 1033, cursor},
        {2, 9, 1033, Dib(2, 2, 8, 8, 0, 3)},
        {3, 1, 1033, icon},
        {3, 2, 1033, png},
    }));
    ASSERT_EQ(dump.result, S_OK) << dump.trail;

    Bytes bmp = ReadFileBytes(dump.dir / "Bitmap00009.BMP");
    Bytes bmpHeader(bmp.begin(), bmp.begin() + 14);
    // "BM", file size 48 + 14 = 62, reserved, pixels after 14 + 40 + 3 * 4 palette bytes.
    EXPECT_EQ(bmpHeader, (Bytes{'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 66, 0, 0, 0}));

    Bytes ico = ReadFileBytes(dump.dir / "Icon00001.ICO");
    ASSERT_EQ(ico.size(), 22u + 48u);
    // 16 wide, 32 / 2 high, 16 colours (4 bits, none listed as used), two zero words, 48 bytes
    // at offset 22.
    EXPECT_EQ(Bytes(ico.begin(), ico.begin() + 22),
              (Bytes{0, 0, 1, 0, 1, 0, 16, 16, 16, 0, 0, 0, 0, 0, 48, 0, 0, 0, 22, 0, 0, 0}));

    Bytes big = ReadFileBytes(dump.dir / "Icon00002.ICO");
    EXPECT_EQ(Bytes(big.begin() + 6, big.begin() + 10), (Bytes{0, 0, 0, 0}))
        << "a 256x256 PNG image is recorded as width and height 0";

    Bytes cur = ReadFileBytes(dump.dir / "Cursor00002.CUR");
    ASSERT_EQ(cur.size(), 22u + 44u);
    // Type 2, 32 wide, 64 / 2 high, 2 colours, hot spot (5, 9), the image without the hot spot.
    EXPECT_EQ(Bytes(cur.begin(), cur.begin() + 22),
              (Bytes{0, 0, 2, 0, 1, 0, 32, 32, 2, 0, 5, 0, 9, 0, 44, 0, 0, 0, 22, 0, 0, 0}));
    EXPECT_EQ(Bytes(cur.begin() + 22, cur.end()), cursorDib);
}

TEST(ExeDumper, ThirtyTwoBitBitmapsBecomePngUnlessConversionFails) {
    Dump dump(ImageOf({
        {2, 1, 1033, Dib(2, 2, 32, 16)},
        {2, 2, 1033, Dib(2, 2, 32, 16, 3)}, // bit fields: the converter refuses it
        {2, 3, 1033, Dib(2, 2, 24, 16)},
    }));
    ASSERT_EQ(dump.result, S_OK) << dump.trail;
    std::string m = dump.Manifest();
    EXPECT_NE(m.find("<File Name='Bitmap00001.BMP' Size='56' Png='1'"), std::string::npos);
    EXPECT_TRUE(dump.Has("Bitmap00001.png"));
    EXPECT_FALSE(dump.Has("Bitmap00001.BMP"));
    EXPECT_NE(m.find("<File Name='Bitmap00002.BMP' Size='56' Png='0'"), std::string::npos);
    EXPECT_TRUE(dump.Has("Bitmap00002.BMP"));
    EXPECT_NE(m.find("<File Name='Bitmap00003.BMP' Size='56' Png='0'"), std::string::npos);
    ASSERT_EQ(dump.prompter.Shown().size(), 1u);
    EXPECT_EQ(dump.prompter.Shown()[0].title, "Bad");
    EXPECT_EQ(dump.prompter.Shown()[0].message, "biCompression");
}

// A PNG holds the pixels and the resolution of a bitmap, nothing else of its header: a bitmap
// whose header says more stays a bitmap, so that it compiles to its own bytes again.
TEST(ExeDumper, OnlyBitmapsAPngGivesBackExactlyBecomePng) {
    Bytes noImageSize = Dib(2, 2, 32, 16);
    Put32(noImageSize, 20, 0);
    Bytes trailing = Dib(2, 2, 32, 20);
    Dump dump(ImageOf({
        {2, 1, 1033, Dib(2, 2, 32, 16)},
        {2, 2, 1033, noImageSize},
        {2, 3, 1033, trailing},
    }));
    ASSERT_EQ(dump.result, S_OK) << dump.trail;
    std::string m = dump.Manifest();
    EXPECT_NE(m.find("<File Name='Bitmap00001.BMP' Size='56' Png='1'"), std::string::npos);
    EXPECT_NE(m.find("<File Name='Bitmap00002.BMP' Size='56' Png='0'"), std::string::npos);
    EXPECT_TRUE(dump.Has("Bitmap00002.BMP"));
    EXPECT_FALSE(dump.Has("Bitmap00002.png"));
    EXPECT_NE(m.find("<File Name='Bitmap00003.BMP' Size='60' Png='0'"), std::string::npos);
    EXPECT_FALSE(dump.Has("Bitmap00003.png"));
}

// A localized bitmap keeps every language: the later ones are named after their language, and a
// 32-bit one is stored as PNG whatever its place.
TEST(ExeDumper, BitmapKeepsEveryLanguage) {
    Dump dump(ImageOf({
        {2, u"DUO", 1031, Dib(1, 1, 24, 4)},
        {2, u"DUO", 1041, Dib(1, 1, 32, 4)},
        {2, 6, 1031, Dib(1, 1, 24, 4)},
        {2, 6, 1033, Dib(1, 1, 24, 4)},
    }));
    ASSERT_EQ(dump.result, S_OK) << dump.trail;
    std::string m = dump.Manifest();
    EXPECT_NE(m.find("<Directory Type='0' Name='DUO.BMP' Named_Entries='0' ID_Entries='2'>\n"),
              std::string::npos);
    EXPECT_NE(m.find("<File Name='DUO.BMP' Size='44' Png='0' StripExt='1'"), std::string::npos);
    EXPECT_NE(m.find("<File Name='DUO-1041.BMP' Size='44' Png='1' StripExt='1'"),
              std::string::npos);
    EXPECT_TRUE(dump.Has("DUO.BMP"));
    EXPECT_TRUE(dump.Has("DUO-1041.png"));
    EXPECT_FALSE(dump.Has("DUO-1041.BMP"));
    EXPECT_NE(m.find("<Directory Type='6' Named_Entries='0' ID_Entries='2'>\n"), std::string::npos);
    EXPECT_NE(m.find("<Entry ID='1033' Directory='0'>\r\n               <File "
                     "Name='Bitmap00006-1033.BMP'"),
              std::string::npos);
}

TEST(ExeDumper, VisualStyleNamingAndFilesNeverShared) {
    std::vector<TestResource> resources = {
        {u"TEXTFILE", u"BLUE_NORMAL_INI", 1033, BytesOf("en")},
        {u"TEXTFILE", u"BLUE_NORMAL_INI", 1031, BytesOf("de")},
        {u"TEXTFILE", u"..\\..\\EVIL", 1033, BytesOf("x")},
        {2, u"NORMAL_BUTTON_BMP", 1033, Dib(1, 1, 24, 4)},
        {5, 100, 1033, BytesOf("dialog-en")},
        {5, 100, 1031, BytesOf("dialog-de")},
        {16, 1, 1033, BytesOf("v-en")},
        {16, 1, 1031, BytesOf("v-de")},
        {10, u"PE.XML", 1033, BytesOf("not the manifest")},
    };
    Dump styled(ImageOf(resources), true);
    ASSERT_EQ(styled.result, S_OK) << styled.trail;
    EXPECT_EQ(ReadFileText(styled.dir / "BLUE/NORMAL.INI"), "en");
    EXPECT_EQ(ReadFileText(styled.dir / "BLUE/NORMAL-1031.INI"), "de");
    std::string m = styled.Manifest();
    EXPECT_NE(m.find("<File Name='BLUE\\NORMAL-1031.INI' Size='2'"), std::string::npos);
    EXPECT_NE(m.find("<Entry Name='..\\..\\EVIL' Directory='1'"), std::string::npos)
        << "the entry keeps the resource's name";
    EXPECT_EQ(ReadFileText(styled.dir / ".._.._EVIL"), "x");
    EXPECT_TRUE(styled.Has("NORMAL_BUTTON_BMP.BMP"));
    EXPECT_EQ(ReadFileText(styled.dir / "500100"), "dialog-en");
    EXPECT_EQ(ReadFileText(styled.dir / "500100-1031"), "dialog-de");
    EXPECT_EQ(ReadFileText(styled.dir / "VERSION-1031"), "v-de");
    EXPECT_EQ(ReadFileText(styled.dir / "PE-1033.XML"), "not the manifest");
    EXPECT_EQ(m.rfind("<Directory Type='0' Named_Entries=", 0), 0u) << "the manifest survived";

    Dump plain(ImageOf(resources), false);
    ASSERT_EQ(plain.result, S_OK) << plain.trail;
    EXPECT_EQ(ReadFileText(plain.dir / "BLUE_NORMAL.INI"), "en");
}

TEST(ExeDumper, HostileDirectoriesFailWithAClearMessage) {
    Bytes section = BuildResourceSection({{10, 1, 1033, BytesOf("x")}}, 0x1000);
    Bytes looping = section;
    Put32(looping, 16 + 4, 0x80000000u); // the type entry leads back to the root
    Dump loop(BuildPe({{".rsrc", looping}}));
    EXPECT_EQ(loop.result, E_FAIL);
    EXPECT_NE(loop.trail.find("reached a second time"), std::string::npos) << loop.trail;

    Bytes deep = section;
    std::uint32_t languageDir = 16 + 8 + 16 + 8; // root, type dir; the name dir's entry follows
    Put32(deep, languageDir + 16 + 4, 0x80000000u | 16);
    Dump nested(BuildPe({{".rsrc", deep}}));
    EXPECT_EQ(nested.result, E_FAIL);

    Bytes outside = section;
    Put32(outside, 72, 0x7FFF0000); // the data entry (after three 24-byte directories): its RVA
    Dump far(BuildPe({{".rsrc", outside}}));
    EXPECT_EQ(far.result, E_FAIL);

    Bytes longer = section;
    Put32(longer, 76, 0x10000); // its size: the data starts inside the file and runs past its end
    Dump past(BuildPe({{".rsrc", longer}}));
    EXPECT_EQ(past.result, E_FAIL);
    EXPECT_NE(past.trail.find("lies outside the file"), std::string::npos) << past.trail;

    Bytes counts = section;
    Put16(counts, 14, 0xFFFF);
    Dump many(BuildPe({{".rsrc", counts}}));
    EXPECT_EQ(many.result, E_FAIL);
    EXPECT_NE(many.trail.find("Failed while dumping resource (.rsrc) section"), std::string::npos);
}

// Directories in an unusual order or with names where IDs belong. What an entry names stays in
// force for the later entries of its directory, as manifests have always recorded it.
TEST(ExeDumper, NamesCarryOverToLaterEntriesOfTheSameDirectory) {
    Bytes block = {1, 0, 'a', 0}; // string 0 is "a", the other 15 are empty
    block.resize(4 + 15 * 2, 0);
    Bytes section = BuildResourceSection({{2, 1, 1033, Dib(1, 1, 24, 4)},
                                          {u"ZZ", 1, 1033, BytesOf("z")},
                                          {6, 2, 1033, block},
                                          {6, u"LATER", 1033, block},
                                          {10, 1, 1031, BytesOf("de")},
                                          {10, 1, 1033, BytesOf("en")}},
                                         0x1000);
    auto find = [&](const Bytes& pattern) {
        auto at = std::search(section.begin(), section.end(), pattern.begin(), pattern.end());
        EXPECT_NE(at, section.end());
        return std::size_t(at - section.begin());
    };
    // Language 1031 gets the name string "ZZ" of the named type instead of its ID.
    std::size_t language = find({0x07, 0x04, 0, 0});
    Put32(section, language, 0x80000000u | std::uint32_t(find({2, 0, 'Z', 0, 'Z', 0})));
    Dump dump(BuildPe({{".rsrc", section}}));
    ASSERT_EQ(dump.result, S_OK) << dump.trail;
    std::string m = dump.Manifest();

    // The named type follows the bitmap type's naming rules in its Entry line.
    EXPECT_NE(m.find("<Entry Name='ZZ.BMP' Directory='1' StripExt='1' >"), std::string::npos) << m;
    EXPECT_NE(m.find("<Directory Type='0' Name='ZZ' "), std::string::npos) << m;
    EXPECT_TRUE(dump.Has("ZZ00001"));
    // The named language names the language after it as well.
    EXPECT_EQ(ReadFileText(dump.dir / "ZZ"), "de");
    EXPECT_EQ(ReadFileText(dump.dir / "ZZ-1033"), "en");
    EXPECT_FALSE(dump.Has("1000001"));
    // The named string block takes the IDs of block 2 before it.
    std::string strings = ReadFileText(dump.dir / "STRINGS.XML");
    std::size_t first = strings.find("ID=\"16\"");
    ASSERT_NE(first, std::string::npos) << strings;
    EXPECT_NE(strings.find("ID=\"16\"", first + 1), std::string::npos) << strings;
    EXPECT_EQ(strings.find("ID=\"0\""), std::string::npos) << strings;
}

TEST(ExeDumper, SectionFilesAndOverlay) {
    Bytes image = BuildPe({{".text", BytesOf("code")},
                           {"/4", BytesOf("debug")},
                           {"/../../z", BytesOf("z")},
                           {".bss", {}},
                           {".rsrc", BuildResourceSection({{10, 1, 0, BytesOf("r")}}, 0x5000)}});
    image.insert(image.end(), {'T', 'A', 'I', 'L'});
    Dump dump(image);
    ASSERT_EQ(dump.result, S_OK) << dump.trail;
    EXPECT_EQ(ReadFileText(dump.dir / "text.BIN").substr(0, 4), "code");
    EXPECT_TRUE(dump.Has("_4.BIN"));
    EXPECT_TRUE(dump.Has("_.._.._z.BIN"));
    EXPECT_EQ(ReadFileText(dump.dir / "bss.BIN"), "");
    EXPECT_EQ(ReadFileText(dump.dir / "OVERLAY.BIN"), "TAIL");
    EXPECT_EQ(fs::file_size(dump.dir / "NTHEADER.BIN"), 0x200u - 0x40u);
}

// A program linked without resources becomes a project with an empty resource tree, so that
// resources can be added to it. Resources kept in a section of another name are refused instead
// of being dropped.
TEST(ExeDumper, WithoutResourceSectionTheTreeIsEmpty) {
    ScratchDir dir;
    ScriptedPrompter prompter;
    MappedFile file;
    ASSERT_EQ(file.Open(DataPath("norsrc.dll")), S_OK);
    ClearErrorTrail();
    ExeDumper dumper(prompter);
    dumper.SetTextOutput(nullptr);
    ASSERT_EQ(dumper.DumpExe(ByteView(file.Bytes()), dir.Path(), "pe.xml"), S_OK);
    EXPECT_EQ(ReadFileText(dir / "pe.xml"), ReadFileText(DataPath("golden/empty-tree/pe.xml")));
    EXPECT_TRUE(fs::exists(dir / "text.BIN"));

    Bytes elsewhere =
        BuildPe({{".data", BuildResourceSection({{10, 1, 0, BytesOf("r")}}, 0x1000)}});
    Put32(elsewhere, 0x40 + 24 + 96 + 8 * 2, 0x1000); // the resource directory points into .data
    Put32(elsewhere, 0x40 + 24 + 96 + 8 * 2 + 4, 64);
    Dump refused(elsewhere);
    EXPECT_EQ(refused.result, E_FAIL);
    EXPECT_NE(refused.trail.find("There is no resource section in the file."), std::string::npos);
    EXPECT_FALSE(refused.Has("pe.xml"));
}

TEST(ExeDumper, InvalidNtHeadersLeaveOnlyTheDosFiles) {
    Bytes image = BuildPe({{".rsrc", BytesOf("r")}});
    image[0x40] = 'N';
    image[0x41] = 'E';
    Dump dump(image);
    EXPECT_EQ(dump.result, E_FAIL);
    EXPECT_NE(
        dump.trail.find("File is 16 bit OS2 NE Format.  This format is not currently handled.\n"),
        std::string::npos);
    EXPECT_TRUE(dump.Has("DosHeader.hdr") && dump.Has("DOSHEADER.BIN"));
    EXPECT_FALSE(dump.Has("NTHeader.hdr"));
}

TEST(ExeDumper, GroupFilesCollectTheirMembers) {
    Bytes icon1 = Dib(1, 2, 32, 8);   // 48 bytes
    Bytes icon2 = Dib(2, 4, 8, 1032); // 1072 bytes
    // GRPICONDIR: reserved 0, type 1, two GRPICONDIRENTRYs (width, height, colours, reserved,
    // planes, bit count, bytes, ID).
    Bytes group = {0, 0, 1, 0, 2, 0, 1, 1, 0, 0, 1, 0,    32, 0, 48, 0, 0,
                   0, 1, 0, 2, 2, 0, 0, 1, 0, 8, 0, 0x30, 4,  0, 0,  2, 0};
    ScratchDir dir;
    ScriptedPrompter prompter;
    ExeDumper dumper(prompter);
    dumper.options.groupFiles = true;
    dumper.SetTextOutput(nullptr);
    Bytes image = ImageOf({{3, 1, 1033, icon1}, {3, 2, 1033, icon2}, {14, 1, 1033, group}});
    ASSERT_EQ(dumper.DumpExe(ByteView(image.data(), image.size()), dir.Path(), "pe.xml"), S_OK);

    Bytes file = ReadFileBytes(dir / "1400001.ico");
    Bytes expectedHead = {0, 0, 1, 0, 2, 0, 1, 1, 0, 0, 1, 0,    32, 0, 48, 0,  0, 0, 38,
                          0, 0, 0, 2, 2, 0, 0, 1, 0, 8, 0, 0x30, 4,  0, 0,  86, 0, 0, 0};
    ASSERT_EQ(file.size(), 38u + 48u + 1072u);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 38), expectedHead);
    EXPECT_EQ(Bytes(file.begin() + 38, file.begin() + 86), icon1);
    EXPECT_EQ(Bytes(file.begin() + 86, file.end()), icon2);
    EXPECT_EQ(ReadFileBytes(dir / "1400001"), group) << "the raw group stays beside it";
    EXPECT_NE(ReadFileText(dir / "pe.xml").find("<File Name='1400001' Size='1072' "),
              std::string::npos)
        << "Size is the last image's byte count";
}

TEST(ExeDumper, PngDigitsAreSetAlsoWhenTheManifestWasFlushedMeanwhile) {
    std::vector<TestResource> resources = {{2, 1, 1033, Dib(2, 2, 32, 16)},
                                           {2, 2, 1033, Dib(2, 2, 32, 16)}};
    for (std::uint32_t id = 1; id <= 1500; ++id)
        resources.push_back({10, id, 1033, BytesOf("r")});
    Dump dump(ImageOf(resources));
    ASSERT_EQ(dump.result, S_OK) << dump.trail;
    std::string m = dump.Manifest();
    ASSERT_GT(m.size(), 129025u) << "the manifest must have been written in pieces";
    EXPECT_NE(m.find("<File Name='Bitmap00001.BMP' Size='56' Png='1'"), std::string::npos);
    EXPECT_NE(m.find("<File Name='Bitmap00002.BMP' Size='56' Png='1'"), std::string::npos);
    EXPECT_TRUE(dump.Has("Bitmap00002.png") && !dump.Has("Bitmap00002.BMP"));
}

TEST(ExeDumper, CursorGroupFilesTakeTheHotSpotFromTheirMembers) {
    Bytes cursor = {5, 0, 9, 0};
    Bytes image = Dib(32, 64, 1, 4); // 44 bytes
    cursor.insert(cursor.end(), image.begin(), image.end());
    // The group entry: width and height words, planes, bit count, bytes (the hot spot included),
    // cursor ID.
    Bytes group = {0, 0, 2, 0, 1, 0, 32, 0, 64, 0, 1, 0, 1, 0, 48, 0, 0, 0, 1, 0};
    ScratchDir dir;
    ScriptedPrompter prompter;
    ExeDumper dumper(prompter);
    dumper.options.groupFiles = true;
    dumper.SetTextOutput(nullptr);
    Bytes pe = ImageOf({{1, 1, 1033, cursor}, {12, 1, 1033, group}});
    ASSERT_EQ(dumper.DumpExe(ByteView(pe.data(), pe.size()), dir.Path(), "pe.xml"), S_OK);
    Bytes file = ReadFileBytes(dir / "1200001.cur");
    Bytes expected = {0, 0, 2, 0, 1, 0, 32, 32, 2, 0, 5, 0, 9, 0, 44, 0, 0, 0, 22, 0, 0, 0};
    expected.insert(expected.end(), image.begin(), image.end());
    EXPECT_EQ(file, expected);
}
