#include "decompiler/HeaderTables.h"

#include "common/MappedFile.h"
#include "common/TestSupport.h"
#include "formats/PeImage.h"

#include <gtest/gtest.h>

using namespace vellum;

namespace {

std::string DosRow(const char* off, const char* name, const char* value, const char* desc) {
    return std::string("   <ROW C1=\"") + off + "\" C2=\"" + name +
           "\" C3=\"WORD\" C4=\"2\" C5=\"" + value + "\" C6=\"" + desc + "\" />\r\n";
}

const char kHeaderLine[] =
    "<ROOT>\r\n   <HEADER COUNT=\"6\" C1=\"Offset\" C2=\"Field\" C3=\"Type\" "
    "C4=\"Size\" C5=\"Value\" C6=\"Description\" />\r\n";

// resonly.dll's DOS header, field by field as its bytes read.
std::string ExpectedDosTable() {
    std::string t = kHeaderLine;
    t += DosRow("0000", "e_magic", "5a4d", "Magic Number");
    t += DosRow("0002", "e_cblp", "0090", "Bytes on last page of file");
    t += DosRow("0004", "e_cp", "0003", "Pages in file");
    t += DosRow("0006", "e_crlc", "0000", "Relocations");
    t += DosRow("0008", "e_cparhdr", "0004", "Size of header in paragraphs");
    t += DosRow("000a", "e_minalloc", "0000", "Minimum extra paragraphs needed");
    t += DosRow("000c", "e_maxalloc", "ffff", "Maximum extra paragraphs needed");
    t += DosRow("000e", "e_ss", "0000", "Initial (relative) SS value");
    t += DosRow("0010", "e_sp", "00b8", "Initial SP value");
    t += DosRow("0012", "e_csum", "0000", "Checksum");
    t += DosRow("0014", "e_ip", "0000", "Initial IP value");
    t += DosRow("0016", "e_cs", "0000", "Initial (relative) CS value");
    t += DosRow("0018", "e_lfarlc", "0040", "File address of relocation table");
    t += DosRow("001a", "e_ovno", "0000", "Overlay number");
    t += DosRow("001c", "e_res[0]", "0000", "Reserved Word");
    t += DosRow("001e", "e_res[1]", "0000", "Reserved Word");
    t += DosRow("0020", "e_res[2]", "0000", "Reserved Word");
    t += DosRow("0022", "e_res[3]", "0000", "Reserved Word");
    t += DosRow("0024", "e_oemid", "0000", "OEM Identifier (for e_oeminfo)");
    t += DosRow("0026", "e_oeminfo", "0000", "OEM information");
    const char* offsets[] = {"0028", "002a", "002c", "002e", "0030",
                             "0032", "0034", "0036", "0038", "003a"};
    for (int i = 0; i < 10; ++i)
        t += DosRow(offsets[i], ("e_res2[" + std::to_string(i) + "]").c_str(), "0000",
                    "Reserved Word");
    t += "   <ROW C1=\"003c\" C2=\"e_lfanew\" C3=\"LONG\" C4=\"4\" C5=\"00000080\" "
         "C6=\"File address of new exe header\" />\r\n";
    return t + "</ROOT>";
}

const char kExpectedNtTable[] =
    "   <ROW C1=\"0000\" C2=\"Machine\" C3=\"WORD\" C4=\"2\" C5=\"014c\" C6=\"Architecture of the "
    "computer\" />\r\n"
    "   <ROW C1=\"0002\" C2=\"NumberOfSections\" C3=\"WORD\" C4=\"2\" C5=\"0001\" C6=\"Number of "
    "Sections\" />\r\n"
    "   <ROW C1=\"0004\" C2=\"TimeDateStamp\" C3=\"DWORD\" C4=\"4\" C5=\"00000000\" C6=\"Time Date "
    "Stamp of the File\" />\r\n"
    "   <ROW C1=\"0008\" C2=\"PointerToSymbolTable\" C3=\"DWORD\" C4=\"4\" C5=\"00000000\" "
    "C6=\"Pointer to the Symbol table in the file\" />\r\n"
    "   <ROW C1=\"000c\" C2=\"NumberOfSymbols\" C3=\"DWORD\" C4=\"4\" C5=\"00000000\" C6=\"Number "
    "of symbols in symbol table\" />\r\n"
    "   <ROW C1=\"0010\" C2=\"SizeOfOptionalHeader\" C3=\"WORD\" C4=\"2\" C5=\"00e0\" C6=\"Size of "
    "the Optional File Header\" />\r\n"
    "   <ROW C1=\"0012\" C2=\"Characteristics\" C3=\"WORD\" C4=\"2\" C5=\"230e\" "
    "C6=\"Characteristics of the file\" />\r\n"
    "   <ROW C1=\"0014\" C2=\"Magic\" C3=\"WORD\" C4=\"2\" C5=\"010b\" C6=\"Magic Number\" />\r\n"
    "   <ROW C1=\"0016\" C2=\"MajorLinkerVersion\" C3=\"BYTE\" C4=\"1\" C5=\"02\" C6=\"\" />\r\n"
    "   <ROW C1=\"0017\" C2=\"MinorLinkerVersion\" C3=\"BYTE\" C4=\"1\" C5=\"28\" C6=\"Minor "
    "Linker Version\" />\r\n"
    "   <ROW C1=\"0018\" C2=\"SizeOfCode\" C3=\"DWORD\" C4=\"4\" C5=\"00000000\" C6=\"Size of the "
    "Code Section(s)\" />\r\n"
    "   <ROW C1=\"001c\" C2=\"SizeOfInitializedData\" C3=\"DWORD\" C4=\"4\" C5=\"00001400\" "
    "C6=\"Size of the Initialized Data\" />\r\n"
    "   <ROW C1=\"0024\" C2=\"AddressOfEntryPoint\" C3=\"DWORD\" C4=\"4\" C5=\"00000000\" "
    "C6=\"Address of the entry point function\" />\r\n"
    "   <ROW C1=\"0028\" C2=\"BaseOfCode\" C3=\"DWORD\" C4=\"4\" C5=\"00000000\" C6=\"Base address "
    "of the code\" />\r\n"
    "   <ROW C1=\"002c\" C2=\"BaseOfData\" C3=\"DWORD\" C4=\"4\" C5=\"00000000\" C6=\"Base address "
    "of the data\" />\r\n"
    "   <ROW C1=\"0030\" C2=\"ImageBase\" C3=\"DWORD\" C4=\"4\" C5=\"10000000\" C6=\"Preferred "
    "load address\" />\r\n"
    "   <ROW C1=\"0034\" C2=\"SectionAlignment\" C3=\"DWORD\" C4=\"4\" C5=\"00001000\" "
    "C6=\"Alignment of sections in memory\" />\r\n"
    "   <ROW C1=\"0038\" C2=\"FileAlignment\" C3=\"DWORD\" C4=\"4\" C5=\"00000200\" C6=\"Alignment "
    "of sections in image file\" />\r\n"
    "   <ROW C1=\"003c\" C2=\"MajorOperatingSystemVersion\" C3=\"WORD\" C4=\"2\" C5=\"0004\" "
    "C6=\"Major Operation System Version\" />\r\n"
    "   <ROW C1=\"003e\" C2=\"MinorOperatingSystemVersion\" C3=\"WORD\" C4=\"2\" C5=\"0000\" "
    "C6=\"Minor Operating System Version\" />\r\n"
    "   <ROW C1=\"0040\" C2=\"MajorImageVersion\" C3=\"WORD\" C4=\"2\" C5=\"0001\" C6=\"Major "
    "Image Version\" />\r\n"
    "   <ROW C1=\"0042\" C2=\"MinorImageVersion\" C3=\"WORD\" C4=\"2\" C5=\"0000\" C6=\"Minor "
    "Image Version\" />\r\n"
    "   <ROW C1=\"0044\" C2=\"MajorSubsystemVersion\" C3=\"WORD\" C4=\"2\" C5=\"0004\" C6=\"Major "
    "Subsystem Version\" />\r\n"
    "   <ROW C1=\"0046\" C2=\"MinorSubsystemVersion\" C3=\"WORD\" C4=\"2\" C5=\"0000\" C6=\"Minor "
    "Subsystem Version\" />\r\n"
    "   <ROW C1=\"0048\" C2=\"Win32VersionValue\" C3=\"DWORD\" C4=\"4\" C5=\"00000000\" C6=\"Win32 "
    "Version Value\" />\r\n"
    "   <ROW C1=\"004c\" C2=\"SizeOfImage\" C3=\"DWORD\" C4=\"4\" C5=\"00003000\" C6=\"Section "
    "aligned total size\" />\r\n"
    "   <ROW C1=\"0050\" C2=\"SizeOfHeaders\" C3=\"DWORD\" C4=\"4\" C5=\"00000200\" C6=\"File "
    "aligned header size\" />\r\n"
    "   <ROW C1=\"0054\" C2=\"CheckSum\" C3=\"DWORD\" C4=\"4\" C5=\"0000c284\" C6=\"Checksum\" "
    "/>\r\n"
    "   <ROW C1=\"0058\" C2=\"Subsystem\" C3=\"WORD\" C4=\"2\" C5=\"0002\" C6=\"Subsystem\" />\r\n"
    "   <ROW C1=\"005a\" C2=\"DllCharacteristics\" C3=\"WORD\" C4=\"2\" C5=\"0140\" "
    "C6=\"Characteristics of teh DLL\" />\r\n"
    "   <ROW C1=\"005c\" C2=\"SizeOfStackReserve\" C3=\"DWORD\" C4=\"4\" C5=\"00200000\" C6=\"Size "
    "reserved for the stack\" />\r\n"
    "   <ROW C1=\"0060\" C2=\"SizeOfStackCommit\" C3=\"DWORD\" C4=\"4\" C5=\"00001000\" "
    "C6=\"Initial stack size\" />\r\n"
    "   <ROW C1=\"0064\" C2=\"SizeOfHeapReserve\" C3=\"DWORD\" C4=\"4\" C5=\"00100000\" C6=\"Size "
    "reserved for the heap\" />\r\n"
    "   <ROW C1=\"0068\" C2=\"SizeOfHeapCommit\" C3=\"DWORD\" C4=\"4\" C5=\"00001000\" "
    "C6=\"Initial heap size\" />\r\n"
    "   <ROW C1=\"006c\" C2=\"LoaderFlags\" C3=\"DWORD\" C4=\"4\" C5=\"00000000\" C6=\"Flags sent "
    "to the loader\" />\r\n"
    "   <ROW C1=\"0070\" C2=\"NumberOfRvaAndSizes\" C3=\"DWORD\" C4=\"4\" C5=\"00000010\" "
    "C6=\"Number of entries in the directory\" />\r\n"
    "</ROOT>\r\n";

} // namespace

TEST(HeaderTables, ResourceOnlyDllGivesTheHandWrittenTables) {
    MappedFile file;
    ASSERT_EQ(file.Open(test::DataPath("resonly.dll")), S_OK);
    ByteView bytes(file.Bytes());
    EXPECT_EQ(ToCrLf(DosHeaderTable(bytes)), ExpectedDosTable()) << "no line break after </ROOT>";
    PeImage image;
    ASSERT_EQ(image.Parse(bytes), S_OK);
    EXPECT_EQ(ToCrLf(NtHeaderTable(image)), std::string(kHeaderLine) + kExpectedNtTable);
}

TEST(HeaderTables, Pe32PlusUsesItsOwnOptionalHeaderLayout) {
    MappedFile file;
    ASSERT_EQ(file.Open(test::DataPath("x64.dll")), S_OK);
    PeImage image;
    ASSERT_EQ(image.Parse(ByteView(file.Bytes())), S_OK);
    ASSERT_TRUE(image.IsPe32Plus());
    EXPECT_EQ(image.SectionTableOffset(), image.NtOffset() + 24u + 240u);
    std::string table = NtHeaderTable(image);
    EXPECT_EQ(table.find("BaseOfData"), std::string::npos);
    EXPECT_NE(table.find("<ROW C1=\"002c\" C2=\"ImageBase\" C3=\"ULONGLONG\" C4=\"8\" "
                         "C5=\"0000000180000000\" C6=\"Preferred load address\" />"),
              std::string::npos);
    EXPECT_NE(table.find("<ROW C1=\"0080\" C2=\"NumberOfRvaAndSizes\" C3=\"DWORD\" C4=\"4\" "
                         "C5=\"00000010\""),
              std::string::npos);
}
