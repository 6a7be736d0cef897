// Tests for normalising STRINGS.XML and building the type-6 resource subtree from it.
#include "compiler/StringTables.h"

#include "common/ByteView.h"
#include "common/ErrorTrail.h"
#include "common/TestSupport.h"
#include "decompiler/StringTableWriter.h"
#include "support/ByteBuilder.h"

#include <cctype>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace vellum;

namespace {

constexpr char kDeclaration[] = "<?xml version='1.0' encoding='ISO-8859-1'?>\r\n";

// Bytes from hex pairs; spaces and line breaks are for reading only.
std::vector<std::uint8_t> Hex(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    std::string digits;
    for (char c : text)
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits += c;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes.push_back(std::uint8_t(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::vector<std::uint8_t> Block(const std::vector<std::u16string>& strings) {
    return test::StringBlock(strings);
}

struct Resource {
    std::uint32_t block;
    std::uint32_t language;
    std::vector<std::uint8_t> data;
    bool operator==(const Resource&) const = default;
};

// Follows a subtree's directories the way a loader would and lists its resources.
std::vector<Resource> ReadSubtree(const std::vector<std::uint8_t>& bytes, std::uint32_t offset,
                                  std::uint32_t rva) {
    ByteView view(bytes.data(), bytes.size());
    std::vector<Resource> resources;
    std::uint16_t blocks = view.U16(14);
    for (std::uint32_t b = 0; b < blocks; ++b) {
        std::uint32_t number = view.U32(16 + 8 * b);
        std::uint32_t languages = (view.U32(20 + 8 * b) & 0x7FFFFFFF) - offset;
        for (std::uint32_t l = 0; l < view.U16(languages + 14); ++l) {
            std::uint32_t entry = view.U32(languages + 20 + 8 * l) - offset;
            ByteView data = view.Sub(view.U32(entry) - rva - offset, view.U32(entry + 4));
            resources.push_back(
                {number, view.U32(languages + 16 + 8 * l),
                 std::vector<std::uint8_t>(data.Data(), data.Data() + data.Size())});
        }
    }
    return resources;
}

std::string StringsFile(const std::string& body) {
    return kDeclaration + std::string("<ROOT>\r\n") + body + "</ROOT>\r\n";
}

class StringTables : public ::testing::Test {
protected:
    std::vector<std::uint8_t> Build(std::uint32_t offset = 0, std::uint32_t rva = 0) {
        return BuildStringTables(dir.Path(), offset, rva, prompter);
    }
    std::vector<Resource> BuildResources() {
        return ReadSubtree(Build(0x100, 0x5000), 0x100, 0x5000);
    }
    void WriteStrings(const std::string& text) { test::WriteFileText(dir / "STRINGS.XML", text); }
    std::string ReadStrings() { return test::ReadFileText(dir / "STRINGS.XML"); }

    test::ScratchDir dir;
    ScriptedPrompter prompter;
};

} // namespace

TEST_F(StringTables, BuildsBlocksWithTheirLanguageDirectoriesAndPackedData) {
    WriteStrings(StringsFile("   <TABLE LANG=\"1033\">\r\n"
                             "      <E ID=\"1\" S=\"A\"/>\r\n"
                             "      <E ID=\"2\" S=\"BC\"/>\r\n"
                             "      <E ID=\"17\" S=\"Q\"/>\r\n"
                             "   </TABLE>\r\n"));
    // Subtree at section offset 0x40, section RVA 0x3000: block directory 0x40-0x60, block 1's
    // language directory 0x60-0x88, block 2's 0x88-0xB0, block 1's data 0xB0-0xD6, block 2's
    // data 0xD6-0xF8.
    std::vector<std::uint8_t> expected = Hex("00000000 00000000 0000 0000 0000 0200"
                                             "01000000 60000080"
                                             "02000000 88000080"
                                             // block 1: one language, its data entry at 0x78
                                             "00000000 00000000 0000 0000 0000 0100"
                                             "09040000 78000000"
                                             "B0300000 26000000 00000000 00000000"
                                             // block 2: data entry at 0xA0
                                             "00000000 00000000 0000 0000 0000 0100"
                                             "09040000 A0000000"
                                             "D6300000 22000000 00000000 00000000"
                                             // block 1: "", "A", "BC", 13 empty strings
                                             "0000 0100 4100 0200 4200 4300"
                                             "0000 0000 0000 0000 0000 0000 0000"
                                             "0000 0000 0000 0000 0000 0000"
                                             // block 2: "", "Q", 14 empty strings
                                             "0000 0100 5100"
                                             "0000 0000 0000 0000 0000 0000 0000"
                                             "0000 0000 0000 0000 0000 0000 0000");
    EXPECT_EQ(Build(0x40, 0x3000), expected);
    EXPECT_TRUE(prompter.Shown().empty());
}

TEST_F(StringTables, LanguagesOfOneBlockShareItsDirectoryInLanguageOrder) {
    WriteStrings(StringsFile("   <TABLE LANG=\"1033\">\r\n"
                             "      <E ID=\"3\" S=\"y\"/>\r\n"
                             "   </TABLE>\r\n"
                             "   <TABLE LANG=\"1031\">\r\n"
                             "      <E ID=\"0\" S=\"x\"/>\r\n"
                             "   </TABLE>\r\n"));
    ASSERT_EQ(NormalizeStrings(dir.Path(), prompter), S_OK);
    std::vector<std::uint8_t> expected = Hex("00000000 00000000 0000 0000 0000 0100"
                                             "01000000 18000080"
                                             "00000000 00000000 0000 0000 0000 0200"
                                             "07040000 38000000"
                                             "09040000 48000000"
                                             "58100000 22000000 00000000 00000000"
                                             "7A100000 22000000 00000000 00000000"
                                             // 1031: "x", 15 empty strings
                                             "0100 7800 0000 0000 0000 0000 0000 0000 0000"
                                             "0000 0000 0000 0000 0000 0000 0000 0000"
                                             // 1033: 3 empty strings, "y", 12 empty strings
                                             "0000 0000 0000 0100 7900 0000 0000 0000 0000"
                                             "0000 0000 0000 0000 0000 0000 0000 0000");
    EXPECT_EQ(Build(0, 0x1000), expected);
}

TEST_F(StringTables, ConvertsTheOldFormatWithOneWarning) {
    WriteStrings(StringsFile("   <E ID=\"5\" S=\"five\"/>\r\n"
                             "   <E ID=\"3\" S=\"three &amp; more\"/>\r\n"));
    ASSERT_EQ(NormalizeStrings(dir.Path(), prompter), S_OK);
    ASSERT_EQ(prompter.Shown().size(), 1u);
    EXPECT_EQ(prompter.Shown()[0].title, "WARNING");
    EXPECT_EQ(prompter.Shown()[0].message,
              "Warning:\r\nConverting from old Strings.xml format.\r\nData may be lost.\r\n");
    EXPECT_EQ(prompter.Shown()[0].icon, DialogIcon::Exclamation);
    std::string converted = StringsFile("   <TABLE LANG=\"1033\">\r\n"
                                        "      <E ID=\"3\" S=\"three &amp; more\"/>\r\n"
                                        "      <E ID=\"5\" S=\"five\"/>\r\n"
                                        "   </TABLE>\r\n");
    EXPECT_EQ(ReadStrings(), converted);

    // The converted file is in the new format: no second warning, nothing to change.
    ASSERT_EQ(NormalizeStrings(dir.Path(), prompter), S_OK);
    EXPECT_EQ(prompter.Shown().size(), 1u);
    EXPECT_EQ(ReadStrings(), converted);
    EXPECT_EQ(BuildResources(),
              (std::vector<Resource>{
                  {1, 1033, Block({u"", u"", u"", u"three & more", u"", u"five"})},
              }));
}

TEST_F(StringTables, NormalizingOrdersTablesAndEntriesAndSeparatesEqualIds) {
    std::string before = StringsFile("   <TABLE LANG=\"1049\">\r\n"
                                     "      <E ID=\"7\" S=\"a\"/>\r\n"
                                     "      <E ID=\"5\" S=\"b\"/>\r\n"
                                     "      <E ID=\"5\" S=\"c\"/>\r\n"
                                     "      <E ID=\"6\" S=\"d\"/>\r\n"
                                     "   </TABLE>\r\n"
                                     "   <TABLE LANG=\"1031\">\r\n"
                                     "      <E ID=\"2\" S=\"x\"/>\r\n"
                                     "   </TABLE>\r\n");
    // The second 5 becomes 6, which pushes the 6 to 7 and the 7 to 8.
    std::string after = StringsFile("   <TABLE LANG=\"1031\">\r\n"
                                    "      <E ID=\"2\" S=\"x\"/>\r\n"
                                    "   </TABLE>\r\n"
                                    "   <TABLE LANG=\"1049\">\r\n"
                                    "      <E ID=\"5\" S=\"b\"/>\r\n"
                                    "      <E ID=\"6\" S=\"c\"/>\r\n"
                                    "      <E ID=\"7\" S=\"d\"/>\r\n"
                                    "      <E ID=\"8\" S=\"a\"/>\r\n"
                                    "   </TABLE>\r\n");
    // Project files are found whatever their case and rewritten under their own name.
    test::WriteFileText(dir / "Strings.xml", before);
    ASSERT_EQ(NormalizeStrings(dir.Path(), prompter), S_OK);
    EXPECT_TRUE(prompter.Shown().empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "STRINGS.XML"));
    EXPECT_EQ(test::ReadFileText(dir / "Strings.xml"), after);
}

TEST_F(StringTables, DuplicateAndOutOfRangeIdsAreDropped) {
    // Not normalised: equal IDs reach the builder, within one table and across two tables of the
    // same language, which are merged so the block lists 1033 only once.
    WriteStrings(StringsFile("   <TABLE LANG=\"1033\">\r\n"
                             "      <E ID=\"1\" S=\"first\"/>\r\n"
                             "      <E ID=\"1\" S=\"second\"/>\r\n"
                             "      <E ID=\"-1\" S=\"negative\"/>\r\n"
                             "      <E ID=\"65536\" S=\"too big\"/>\r\n"
                             "      <E ID=\"65535\" S=\"last\"/>\r\n"
                             "   </TABLE>\r\n"
                             "   <TABLE LANG=\"1033\">\r\n"
                             "      <E ID=\"2\" S=\"two\"/>\r\n"
                             "      <E ID=\"1\" S=\"third\"/>\r\n"
                             "   </TABLE>\r\n"));
    std::vector<Resource> expected = {
        {1, 1033, Block({u"", u"first", u"two"})},
        {4096, 1033,
         Block(
             {u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"last"})},
    };
    EXPECT_EQ(BuildResources(), expected);
    ASSERT_EQ(prompter.Shown().size(), 1u);
    EXPECT_EQ(
        prompter.Shown()[0].message,
        "This resources contains duplicate strings resource IDs.  Some strings will be lost.");
    EXPECT_EQ(prompter.Shown()[0].icon, DialogIcon::Asterisk);
}

TEST_F(StringTables, DecodesEachTableInItsLanguagesCodePage) {
    WriteStrings(StringsFile("   <TABLE LANG=\"1031\">\r\n"
                             "      <E ID=\"0\" S=\"Gr\xfc\xdf"
                             "e &amp; &lt;Tsch\xfc"
                             "ss&gt;\"/>\r\n"
                             "   </TABLE>\r\n"
                             "   <TABLE LANG=\"1049\">\r\n"
                             "      <E ID=\"0\" S=\"\xcf\xf0\xe8\"/>\r\n"
                             "   </TABLE>\r\n"
                             // No LANG: language -1 as a 16-bit ID, text in UTF-8.
                             "   <TABLE>\r\n"
                             "      <E ID=\"0\" S=\"\xe4\xb8\xad\xf0\x9f\x98\x80\"/>\r\n"
                             "   </TABLE>\r\n"));
    std::vector<Resource> expected = {
        {1, 1031, Block({u"Gr\u00fc\u00dfe & <Tsch\u00fcss>"})},
        {1, 1049, Block({u"\u041f\u0440\u0438"})},
        {1, 0xFFFF, Block({u"\u4e2d\U0001F600"})},
    };
    EXPECT_EQ(BuildResources(), expected);
}

TEST_F(StringTables, LongStringsAreReadWholeUpToTheLengthLimit) {
    std::string medium(1500, 'm');
    std::string huge(70000, 'h');
    WriteStrings(StringsFile("   <TABLE LANG=\"1033\">\r\n"
                             "      <E ID=\"0\" S=\"" +
                             medium + "\"/>\r\n      <E ID=\"1\" S=\"" + huge +
                             "\"/>\r\n   </TABLE>\r\n"));
    std::vector<Resource> resources = BuildResources();
    ASSERT_EQ(resources.size(), 1u);
    std::u16string cut(65535, u'h');
    EXPECT_EQ(resources[0].data, Block({std::u16string(1500, u'm'), cut}));
}

TEST_F(StringTables, UnreadableFilesGiveAnEmptyDirectoryAndStayUntouched) {
    std::vector<std::uint8_t> empty(16, 0);
    EXPECT_EQ(NormalizeStrings(dir.Path(), prompter), S_OK);
    EXPECT_FALSE(std::filesystem::exists(dir / "STRINGS.XML"));
    EXPECT_EQ(Build(0x200, 0x4000), empty);

    std::string malformed =
        StringsFile("   <TABLE LANG=\"1033\">\r\n      <E ID=\"1\" S=\"x\"/>\r\n"
                    "   </TABLE>\r\n   <=/>\r\n");
    WriteStrings(malformed);
    EXPECT_EQ(NormalizeStrings(dir.Path(), prompter), S_OK);
    EXPECT_EQ(ReadStrings(), malformed);
    EXPECT_EQ(Build(0x200, 0x4000), empty);
    EXPECT_TRUE(prompter.Shown().empty());
}

TEST_F(StringTables, RoundTripsWhatTheWriterWrote) {
    std::vector<Resource> original = {
        {1, 1033, Block({u"", u"Save & Exit", u"<b>", u"", u"It's \"quoted\""})},
        {1, 1041, Block({u"\u4fdd\u5b58", u"\uff76\uff85"})},
        {2, 1031,
         Block({u"", u"", u"Gr\u00fc\u00dfe", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"",
                u"", u"Ende"})},
        {2, 1033, Block({u"Seventeen"})},
        {4096, 9999, Block({u"\u4e2d\U0001F600", u"", std::u16string(2000, u'z')})},
    };
    StringTableWriter writer(dir.Path());
    for (const Resource& r : original)
        ASSERT_EQ(writer.WriteBlock(ByteView(r.data.data(), r.data.size()), r.language,
                                    (r.block - 1) * 16),
                  S_OK);
    ASSERT_EQ(writer.Save(), S_OK);
    ASSERT_EQ(NormalizeStrings(dir.Path(), prompter), S_OK);

    // The writer adds tables in order of appearance (1033 before 1031); normalising restores
    // language order within block 2.
    EXPECT_EQ(BuildResources(), original);
    EXPECT_TRUE(prompter.Shown().empty());
}

TEST_F(StringTables, AFileThatCannotBeRewrittenIsKept) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    std::string old = StringsFile("   <E ID=\"1\" S=\"one\"/>\r\n");
    WriteStrings(old);
    namespace fs = std::filesystem;
    fs::permissions(dir.Path(), fs::perms::owner_write, fs::perm_options::remove);
    ClearErrorTrail();
    HRESULT hr = NormalizeStrings(dir.Path(), prompter);
    fs::permissions(dir.Path(), fs::perms::owner_write, fs::perm_options::add);
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(ReadStrings(), old);
    EXPECT_TRUE(TakeErrorTrail().has_value());
}
