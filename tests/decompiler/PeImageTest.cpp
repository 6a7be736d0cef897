#include "formats/PeImage.h"

#include "support/PeBuilder.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace vellum;
using namespace vellum::test;

namespace {
ExecutableKind KindOf(const Bytes& b) {
    return ExecutableKindOf(ByteView(b.data(), b.size()));
}

Bytes Stub(const char* newHeader, std::uint16_t relocations, std::uint32_t at = 0x80) {
    Bytes b(at + 4, 0);
    b[0] = 'm';
    b[1] = 'z';
    Put16(b, 0x18, relocations);
    Put32(b, 0x3C, at);
    b[at] = std::uint8_t(newHeader[0]);
    b[at + 1] = std::uint8_t(newHeader[1]);
    return b;
}
} // namespace

TEST(PeImage, ExecutableKind) {
    EXPECT_EQ(KindOf(Stub("PE", 0x40)), ExecutableKind::Pe) << "mz in lower case passes";
    EXPECT_EQ(KindOf(Stub("ne", 0x40)), ExecutableKind::Ne);
    EXPECT_EQ(KindOf(Stub("NE", 0x41)), ExecutableKind::Unknown) << "relocations above 64";
    EXPECT_EQ(KindOf(Stub("PE", 0x41)), ExecutableKind::Pe);
    // Only 16 bits of the new-header offset count here.
    EXPECT_EQ(KindOf(Stub("PE", 0x40, 0x10080)), ExecutableKind::Unknown);
    EXPECT_EQ(KindOf(Bytes{'M'}), ExecutableKind::Unknown);
    EXPECT_EQ(KindOf(Bytes{}), ExecutableKind::Unknown);
    Bytes truncated = Stub("PE", 0x40);
    Put32(truncated, 0x3C, 0xFFFF);
    EXPECT_EQ(KindOf(truncated), ExecutableKind::Unknown);
}

TEST(PeImage, SectionsAndNames) {
    Bytes image = BuildPe({{".text", Bytes(4, 1)}, {"rsrc", Bytes(4, 2)}, {".rsrc", Bytes(4, 3)}});
    PeImage pe;
    ASSERT_EQ(pe.Parse(ByteView(image.data(), image.size())), S_OK);
    ASSERT_EQ(pe.Sections().size(), 3u);
    EXPECT_EQ(pe.FindSection(".rsrc"), &pe.Sections()[2]);
    EXPECT_EQ(SectionFileName(pe.Sections()[0]), "text.BIN");
    EXPECT_EQ(SectionFileName(pe.Sections()[1]), "rsrc.BIN");
    EXPECT_EQ(pe.SectionTableOffset(), 0x40u + 248u);

    Bytes cut(image.begin(), image.begin() + 0x40 + 100);
    EXPECT_EQ(pe.Parse(ByteView(cut.data(), cut.size())), E_FAIL) << "248 bytes must be readable";

    Bytes lying = image;
    Put16(lying, 0x46, 60000); // more sections than the file holds
    ASSERT_EQ(pe.Parse(ByteView(lying.data(), lying.size())), S_OK);
    EXPECT_LT(pe.Sections().size(), 60000u);
}

// Packers and old linkers repeat section names; every section still needs a file of its own,
// also where the file system ignores case and beside the header files.
TEST(PeImage, SectionFilesNeverShareAName) {
    std::vector<SectionHeader> sections;
    for (const char* name : {".text", ".text", "TEXT", "text_2", "NTHEADER", ".overlay", "", ""}) {
        SectionHeader section;
        std::memcpy(section.name, name, std::strlen(name)); // 8 bytes at most, no NUL needed
        sections.push_back(section);
    }
    EXPECT_EQ(SectionFileNames(sections),
              (std::vector<std::string>{"text.BIN", "text_2.BIN", "TEXT_3.BIN", "text_2_4.BIN",
                                        "NTHEADER_5.BIN", "overlay_6.BIN", "_.BIN", "__8.BIN"}));
}
