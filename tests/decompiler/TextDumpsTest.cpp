#include "decompiler/TextDumps.h"

#include "common/TestSupport.h"
#include "support/PeBuilder.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

using namespace vellum;
using namespace vellum::test;

namespace {

std::string Capture(void (*dump)(const PeImage&, std::FILE*), const PeImage& image) {
    return CaptureOutput([&](std::FILE* out) { dump(image, out); });
}

void Symbol(Bytes& b, std::size_t at, const char* name, std::uint32_t value, std::uint16_t section,
            std::uint16_t type, std::uint8_t storage, std::uint8_t aux) {
    for (std::size_t i = 0; i < 8 && name[i]; ++i)
        b[at + i] = std::uint8_t(name[i]);
    Put32(b, at + 8, value);
    Put16(b, at + 12, section);
    Put16(b, at + 14, type);
    b[at + 16] = storage;
    b[at + 17] = aux;
}

} // namespace

TEST(TextDumps, HexDumpLines) {
    Bytes bytes(20);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = std::uint8_t('A' + i);
    bytes[3] = 0x7F;
    bytes[4] = 0xC8;
    EXPECT_EQ(HexDump(ByteView(bytes.data(), bytes.size())),
              "00000000:  41 42 43 7F C8 46 47 48  49 4A 4B 4C 4D 4E 4F 50 ABC..FGHIJKLMNOP\n"
              "00000010:  51 52 53 54                                      QRST\n");
}

TEST(TextDumps, SectionDumpsSkipSectionsWithoutData) {
    Bytes image = BuildPe({{".text", Bytes(20, 0x90)}, {".bss", {}}});
    PeImage pe;
    ASSERT_EQ(pe.Parse(ByteView(image.data(), image.size())), S_OK);
    std::string text = Capture(DumpSectionHex, pe);
    EXPECT_EQ(
        text.rfind("Section Hex Dumps\nsection 00 (.text)  size: 00000200  file offs: 00000200\n"
                   "00000000:  90 90",
                   0),
        0u);
    EXPECT_EQ(text.find("(.bss)"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 2), "\n\n");
}

TEST(TextDumps, SymbolTableWithAuxiliaryRecords) {
    Bytes image = BuildPe({{".text", Bytes(4, 0)}});
    std::size_t table = image.size();
    image.resize(table + 5 * 18 + 4 + 12, 0);
    Symbol(image, table, ".file", 0, 0xFFFE, 0, 103, 1);
    std::memcpy(&image[table + 18], "fixture.c", 9);
    Symbol(image, table + 36, "", 0x10, 1, 0x20, 2, 1); // long name, function, one aux record
    Put32(image, table + 36 + 4, 4);                    // string-table offset
    Put32(image, table + 54, 0x11);
    Symbol(image, table + 72, "weird", 0, 0xFFFF, 0, 200, 0);
    Put32(image, table + 90, 16);
    std::memcpy(&image[table + 94], "_LongName", 10);
    Put32(image, 0x40 + 4 + 8, std::uint32_t(table));
    Put32(image, 0x40 + 4 + 12, 5);
    PeImage pe;
    ASSERT_EQ(pe.Parse(ByteView(image.data(), image.size())), S_OK);
    EXPECT_EQ(Capture(DumpSymbolTable, pe),
              "Symbol Table - 5 entries  (* = auxillary symbol)\n"
              "Indx Name                 Value    Section    cAux  Type    Storage\n"
              "---- -------------------- -------- ---------- ----- ------- --------\n"
              "0000 .file                00000000 sect:DEBUG aux:1 type:00 st:FILE\n"
              "     * fixture.c\n"
              "0002 _LongName            00000010 sect:1     aux:1 type:20 st:EXTERNAL\n"
              "     * tag: 0011  size: 0000  Line #'s: 00000000  next fn: 0000\n"
              "0004 weird                00000000 sect:ABS   aux:0 type:00 st:???\n");
}
