#include "decompiler/HeaderTables.h"

#include "common/Strings.h"

namespace vellum {

namespace {

struct Field {
    unsigned offset;
    const char* name;
    const char* type;
    unsigned size;
    const char* description;
};

const char kTableStart[] =
    "<ROOT>\n"
    "   <HEADER COUNT=\"6\" C1=\"Offset\" C2=\"Field\" C3=\"Type\" C4=\"Size\" C5=\"Value\" "
    "C6=\"Description\" />\n";

std::string Row(ByteView bytes, std::uint64_t base, unsigned offset, const std::string& name,
                const char* type, unsigned size, const char* description) {
    std::uint64_t at = base + offset;
    std::string value = size == 1   ? Format("%02x", bytes.U8(at))
                        : size == 2 ? Format("%04x", bytes.U16(at))
                        : size == 8 ? Format("%016llx", (unsigned long long)bytes.U64(at))
                                    : Format("%08x", bytes.U32(at));
    return Format("   <ROW C1=\"%04x\" C2=\"%s\" C3=\"%s\" C4=\"%d\" C5=\"%s\" C6=\"%s\" />\n",
                  offset, name.c_str(), type, size, value.c_str(), description);
}

std::string Rows(ByteView bytes, std::uint64_t base, const Field* fields, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        const Field& f = fields[i];
        out += Row(bytes, base, f.offset, f.name, f.type, f.size, f.description);
    }
    return out;
}

const Field kDosFieldsHead[] = {
    {0x00, "e_magic", "WORD", 2, "Magic Number"},
    {0x02, "e_cblp", "WORD", 2, "Bytes on last page of file"},
    {0x04, "e_cp", "WORD", 2, "Pages in file"},
    {0x06, "e_crlc", "WORD", 2, "Relocations"},
    {0x08, "e_cparhdr", "WORD", 2, "Size of header in paragraphs"},
    {0x0a, "e_minalloc", "WORD", 2, "Minimum extra paragraphs needed"},
    {0x0c, "e_maxalloc", "WORD", 2, "Maximum extra paragraphs needed"},
    {0x0e, "e_ss", "WORD", 2, "Initial (relative) SS value"},
    {0x10, "e_sp", "WORD", 2, "Initial SP value"},
    {0x12, "e_csum", "WORD", 2, "Checksum"},
    {0x14, "e_ip", "WORD", 2, "Initial IP value"},
    {0x16, "e_cs", "WORD", 2, "Initial (relative) CS value"},
    {0x18, "e_lfarlc", "WORD", 2, "File address of relocation table"},
    {0x1a, "e_ovno", "WORD", 2, "Overlay number"},
};
const Field kDosFieldsMiddle[] = {
    {0x24, "e_oemid", "WORD", 2, "OEM Identifier (for e_oeminfo)"},
    {0x26, "e_oeminfo", "WORD", 2, "OEM information"},
};

// File header and the PE32 optional header up to NumberOfRvaAndSizes, offsets from the file
// header. SizeOfUninitializedData (0x20) and the data directories have no rows.
const Field kFileHeaderFields[] = {
    {0x00, "Machine", "WORD", 2, "Architecture of the computer"},
    {0x02, "NumberOfSections", "WORD", 2, "Number of Sections"},
    {0x04, "TimeDateStamp", "DWORD", 4, "Time Date Stamp of the File"},
    {0x08, "PointerToSymbolTable", "DWORD", 4, "Pointer to the Symbol table in the file"},
    {0x0c, "NumberOfSymbols", "DWORD", 4, "Number of symbols in symbol table"},
    {0x10, "SizeOfOptionalHeader", "WORD", 2, "Size of the Optional File Header"},
    {0x12, "Characteristics", "WORD", 2, "Characteristics of the file"},
    {0x14, "Magic", "WORD", 2, "Magic Number"},
    {0x16, "MajorLinkerVersion", "BYTE", 1, ""},
    {0x17, "MinorLinkerVersion", "BYTE", 1, "Minor Linker Version"},
    {0x18, "SizeOfCode", "DWORD", 4, "Size of the Code Section(s)"},
    {0x1c, "SizeOfInitializedData", "DWORD", 4, "Size of the Initialized Data"},
    {0x24, "AddressOfEntryPoint", "DWORD", 4, "Address of the entry point function"},
    {0x28, "BaseOfCode", "DWORD", 4, "Base address of the code"},
};
const Field kPe32Fields[] = {
    {0x2c, "BaseOfData", "DWORD", 4, "Base address of the data"},
    {0x30, "ImageBase", "DWORD", 4, "Preferred load address"},
};
const Field kPe32PlusFields[] = {
    {0x2c, "ImageBase", "ULONGLONG", 8, "Preferred load address"},
};
const Field kCommonFields[] = {
    {0x34, "SectionAlignment", "DWORD", 4, "Alignment of sections in memory"},
    {0x38, "FileAlignment", "DWORD", 4, "Alignment of sections in image file"},
    {0x3c, "MajorOperatingSystemVersion", "WORD", 2, "Major Operation System Version"},
    {0x3e, "MinorOperatingSystemVersion", "WORD", 2, "Minor Operating System Version"},
    {0x40, "MajorImageVersion", "WORD", 2, "Major Image Version"},
    {0x42, "MinorImageVersion", "WORD", 2, "Minor Image Version"},
    {0x44, "MajorSubsystemVersion", "WORD", 2, "Major Subsystem Version"},
    {0x46, "MinorSubsystemVersion", "WORD", 2, "Minor Subsystem Version"},
    {0x48, "Win32VersionValue", "DWORD", 4, "Win32 Version Value"},
    {0x4c, "SizeOfImage", "DWORD", 4, "Section aligned total size"},
    {0x50, "SizeOfHeaders", "DWORD", 4, "File aligned header size"},
    {0x54, "CheckSum", "DWORD", 4, "Checksum"},
    {0x58, "Subsystem", "WORD", 2, "Subsystem"},
    {0x5a, "DllCharacteristics", "WORD", 2, "Characteristics of teh DLL"},
};
const Field kPe32Tail[] = {
    {0x5c, "SizeOfStackReserve", "DWORD", 4, "Size reserved for the stack"},
    {0x60, "SizeOfStackCommit", "DWORD", 4, "Initial stack size"},
    {0x64, "SizeOfHeapReserve", "DWORD", 4, "Size reserved for the heap"},
    {0x68, "SizeOfHeapCommit", "DWORD", 4, "Initial heap size"},
    {0x6c, "LoaderFlags", "DWORD", 4, "Flags sent to the loader"},
    {0x70, "NumberOfRvaAndSizes", "DWORD", 4, "Number of entries in the directory"},
};
// PE32+ widens the four stack and heap sizes to 8 bytes, moving what follows.
const Field kPe32PlusTail[] = {
    {0x5c, "SizeOfStackReserve", "ULONGLONG", 8, "Size reserved for the stack"},
    {0x64, "SizeOfStackCommit", "ULONGLONG", 8, "Initial stack size"},
    {0x6c, "SizeOfHeapReserve", "ULONGLONG", 8, "Size reserved for the heap"},
    {0x74, "SizeOfHeapCommit", "ULONGLONG", 8, "Initial heap size"},
    {0x7c, "LoaderFlags", "DWORD", 4, "Flags sent to the loader"},
    {0x80, "NumberOfRvaAndSizes", "DWORD", 4, "Number of entries in the directory"},
};

template <std::size_t N> std::string Rows(ByteView bytes, std::uint64_t base, const Field (&f)[N]) {
    return Rows(bytes, base, f, N);
}

} // namespace

std::string DosHeaderTable(ByteView file) {
    std::string out = kTableStart;
    out += Rows(file, 0, kDosFieldsHead);
    for (unsigned i = 0; i < 4; ++i)
        out += Row(file, 0, 0x1c + 2 * i, Format("e_res[%u]", i), "WORD", 2, "Reserved Word");
    out += Rows(file, 0, kDosFieldsMiddle);
    for (unsigned i = 0; i < 10; ++i)
        out += Row(file, 0, 0x28 + 2 * i, Format("e_res2[%u]", i), "WORD", 2, "Reserved Word");
    out += Row(file, 0, 0x3c, "e_lfanew", "LONG", 4, "File address of new exe header");
    return out + "</ROOT>";
}

std::string NtHeaderTable(const PeImage& image) {
    ByteView file = image.File();
    std::uint64_t base = image.FileHeaderOffset();
    bool plus = image.IsPe32Plus();
    std::string out = kTableStart;
    out += Rows(file, base, kFileHeaderFields);
    out += plus ? Rows(file, base, kPe32PlusFields) : Rows(file, base, kPe32Fields);
    out += Rows(file, base, kCommonFields);
    out += plus ? Rows(file, base, kPe32PlusTail) : Rows(file, base, kPe32Tail);
    return out + "</ROOT>\n";
}

std::string ToCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

} // namespace vellum
