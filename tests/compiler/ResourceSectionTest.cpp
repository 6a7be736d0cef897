#include "compiler/ResourceSection.h"

#include "common/TestSupport.h"
#include "common/XmlDocument.h"
#include "support/ByteBuilder.h"

#include <gtest/gtest.h>

using namespace vellum;
using namespace vellum::test;

namespace {

struct Section {
    ScratchDir dir;
    ScriptedPrompter prompter;
    Bytes bytes;
    std::string trace;

    Section(const std::string& manifest, std::uint32_t rva,
            const std::vector<std::pair<std::string, std::string>>& files) {
        WriteFileText(dir / "pe.xml", manifest);
        for (const auto& [name, content] : files)
            WriteFileText(dir / name, content);
        XmlDocument document;
        EXPECT_EQ(document.Load(dir / "pe.xml"), S_OK);
        trace = CaptureOutput([&](std::FILE* out) {
            ResourceSectionBuilder builder(dir.Path(), prompter, out);
            bytes = builder.Build(document, rva);
        });
    }
};

// A directory header: characteristics, time stamp and version (all 0), then the entry counts.
void AddDirectory(ByteWriter& w, std::uint16_t named, std::uint16_t ids) {
    w.Fill(12).U16(named).U16(ids);
}

const char kHeaderEntries[] =
    "   <Entry Name=\"DOSHEADER\" Directory=\"1\" Ignore=\"1\">\r\n"
    "      <Directory Type=\"0\" Name=\"DOSHEADER\" Named_Entries=\"0\" ID_Entries=\"1\">\r\n"
    "         <Entry ID=\"1033\" Directory=\"0\"><File Name=\"missing.hdr\" "
    "Size=\"9\"/></Entry>\r\n"
    "      </Directory>\r\n"
    "   </Entry>\r\n"
    "   <Entry Name=\"NTHEADER\" Directory=\"1\" Ignore=\"1\">\r\n"
    "   </Entry>\r\n";

} // namespace

TEST(ResourceSection, OneTypeWithANamedAndAnIdEntry) {
    std::string manifest =
        std::string("<Directory Type='0' Named_Entries='2' ID_Entries='1'>\n") + kHeaderEntries +
        "     <Entry ID='10' Directory='1'>\r\n"
        "     <Directory Type='10' Named_Entries='1' ID_Entries='1'>\n"
        "          <Entry Name='ABCDEFGH.TXT' Directory='1' StripExt='1' >\r\n"
        "          <Directory Type='0' Name='ABCDEFGH.TXT' Named_Entries='0' ID_Entries='1'>\n"
        "               <Entry ID='1033' Directory='0'>\r\n"
        "               <File Name='data.bin' Size='3' Start='00000000' End='00000003' />\r\n"
        "               </Entry>\r\n"
        "          </Directory>\n"
        "          </Entry>\r\n"
        "          <Entry ID='5' Directory='1'>\r\n"
        "          <Directory Type='5' Named_Entries='0' ID_Entries='1'>\n"
        "               <Entry ID='1033' Directory='0'>\r\n"
        "               <File Name='five.bin' Size='2' Start='00000000' End='00000002' />\r\n"
        "               </Entry>\r\n"
        "          </Directory>\n"
        "          </Entry>\r\n"
        "     </Directory>\n"
        "     </Entry>\r\n"
        "</Directory>\n";
    Section s(manifest, 0x3000, {{"data.bin", "xyz"}, {"five.bin", "hi"}});

    ByteWriter expected;
    AddDirectory(expected, 0, 1); // 0: root, the two ignored entries left out
    expected.U32(10);             // 16: type 10
    expected.U32(0x80000000 | 24);
    AddDirectory(expected, 1, 1);  // 24: type directory
    expected.U32(0x80000000 | 56); // 40: named entry -> its name at 56
    expected.U32(0x80000000 | 84); //     its language directory
    expected.U32(5);               // 48: ID 5
    expected.U32(0x80000000 | 127);
    expected.U16(8).Utf16(u"ABCDEFGH"); // 56: "ABCDEFGH", the title without ".TXT"
    expected.PadTo(84);                 // reserved: 4 + 2 * 12 bytes, 10 of them unused
    AddDirectory(expected, 0, 1);       // 84: language directory
    expected.U32(1033);
    expected.U32(108);
    expected.U32(0x3000 + 124); // 108: data entry, the data right behind it
    expected.U32(3);
    expected.U32(0);
    expected.U32(0);
    expected.Ascii("xyz");
    AddDirectory(expected, 0, 1); // 127: language directory of ID 5
    expected.U32(1033);
    expected.U32(151);
    expected.U32(0x3000 + 167); // 151: data entry
    expected.U32(2);
    expected.U32(0);
    expected.U32(0);
    expected.Ascii("hi");

    EXPECT_EQ(s.bytes, expected.Data());
    EXPECT_EQ(s.trace, "Type 0   Named 0  ID 1\n");
    EXPECT_TRUE(s.prompter.Shown().empty()) << "the ignored entries' files are never opened";
}

TEST(ResourceSection, HeadersOfResourceFilesAreSkipped) {
    std::string cursorFile(22, '\0');
    cursorFile[10] = 7; // hot spot x
    cursorFile[12] = 9; // hot spot y
    cursorFile += "IMAGE";
    std::string manifest =
        "<Directory Type='0' Named_Entries='0' ID_Entries='2'>\n"
        "<Entry ID='1' Directory='1'><Directory Type='1' Named_Entries='0' ID_Entries='2'>\n"
        "<Entry ID='1' Directory='1'><Directory Type='1' Named_Entries='0' ID_Entries='1'>\n"
        "<Entry ID='1033' Directory='0'><File Name='Cursor00001.CUR' Size='9'/></Entry>\n"
        "</Directory></Entry>\n"
        "<Entry ID='2' Directory='1'><Directory Type='2' Named_Entries='0' ID_Entries='1'>\n"
        "<Entry ID='1033' Directory='0'><File Name='empty' Size='0'/></Entry>\n"
        "</Directory></Entry>\n"
        "</Directory></Entry>\n"
        "<Entry ID='10' Directory='1'><Directory Type='10' Named_Entries='0' ID_Entries='9'>\n"
        "<Entry ID='1' Directory='1'><Directory Type='1' Named_Entries='0' ID_Entries='1'>\n"
        "<Entry ID='1033' Directory='0'><File Name='gone.bin' Size='4'/></Entry>\n"
        "</Directory></Entry>\n"
        "</Directory></Entry>\n"
        "</Directory>\n";
    Section s(manifest, 0x1000, {{"cursor00001.cur", cursorFile}});
    ByteView b(s.bytes.data(), s.bytes.size());
    // Root 16 + 2 * 8; cursor type 16 + 2 * 8; first name's language directory 24, data entry.
    std::uint32_t entry = 32 + 32 + 24;
    EXPECT_EQ(b.U32(entry + 4), cursorFile.size() - 18);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.Data()) + entry + 16, 9),
              std::string("\x07\0\x09\0IMAGE", 9))
        << "the hot spot, then the image";
    std::uint32_t empty = entry + 16 + 9 + 24;
    EXPECT_EQ(b.U32(empty + 4), 0u) << "Size 0 gives a data entry without data";
    EXPECT_EQ(b.U16(entry + 16 + 9 + 24 + 16 + 14), 1u)
        << "the manifest promised 9 IDs but holds 1; the header says 1";
    ASSERT_EQ(s.prompter.Shown().size(), 1u);
    EXPECT_EQ(s.prompter.Shown()[0].title, "FAILED TO OPEN");
    EXPECT_EQ(s.prompter.Shown()[0].message, s.dir / "gone.bin");
}
