#include "decompiler/TextDumps.h"

#include "common/Strings.h"

#include <cstring>

namespace vellum {

namespace {

constexpr std::uint64_t kSymbolSize = 18;
constexpr std::uint8_t kClassExternal = 2;
constexpr std::uint8_t kClassStatic = 3;
constexpr std::uint8_t kClassFile = 103;

const char* StorageClassName(std::uint8_t storageClass) {
    static const char* const kLow[] = {"NULL",      "AUTOMATIC",       "EXTERNAL",
                                       "STATIC",    "REGISTER",        "EXTERNAL_DEF",
                                       "LABEL",     "UNDEFINED_LABEL", "MEMBER_OF_STRUCT",
                                       "ARGUMENT",  "STRUCT_TAG",      "MEMBER_OF_UNION",
                                       "UNION_TAG", "TYPE_DEFINITION", "UNDEFINED_STATIC",
                                       "ENUM_TAG",  "MEMBER_OF_ENUM",  "REGISTER_PARAM",
                                       "BIT_FIELD"};
    static const char* const kHigh[] = {"BLOCK", "FUNCTION", "END_OF_STRUCT",
                                        "FILE",  "SECTION",  "WEAK_EXTERNAL"};
    if (storageClass <= 18)
        return kLow[storageClass];
    if (storageClass >= 100 && storageClass <= 105)
        return kHigh[storageClass - 100];
    return "???";
}

std::string SectionText(std::uint16_t number) {
    switch (number) {
    case 0xFFFE:
        return "DEBUG";
    case 0xFFFF:
        return "ABS  ";
    case 0:
        return "UNDEF";
    default:
        return Format("%-5X", number).substr(0, 9);
    }
}

// A NUL-terminated string inside the file, cut at the file's end.
std::string StringAt(ByteView file, std::uint64_t offset) {
    ByteView rest = file.From(offset);
    const char* start = reinterpret_cast<const char*>(rest.Data());
    return rest.Empty() ? std::string() : std::string(start, strnlen(start, rest.Size()));
}

std::string SymbolName(ByteView file, std::uint64_t record, std::uint64_t strings) {
    if (file.U32(record) != 0) {
        char name[9] = {};
        std::memcpy(name, file.Data() + record, 8);
        return Format("%-20.8s", name);
    }
    return Format("%-20s", StringAt(file, strings + file.U32(record + 4)).c_str());
}

std::string AuxText(ByteView file, std::uint64_t aux, std::uint8_t storageClass,
                    std::uint16_t type) {
    switch (storageClass) {
    case kClassFile: {
        char text[19] = {};
        std::memcpy(text, file.Data() + aux, 18);
        return Format("     * %s\n", text);
    }
    case kClassExternal:
        if (((type & 0xFF) >> 4) != 2)
            return {};
        return Format("     * tag: %04X  size: %04X  Line #'s: %08X  next fn: %04X\n",
                      file.U32(aux), file.U32(aux + 4), file.U32(aux + 8), file.U32(aux + 12));
    case kClassStatic:
        return Format("     * Section: %04X  Len: %05X  Relocs: %04X  LineNums: %04X\n",
                      file.U16(aux + 16), file.U32(aux), file.U16(aux + 4), file.U16(aux + 6));
    default:
        return Format("Unknown Storage Class %x\n", storageClass);
    }
}

} // namespace

void DumpSymbolTable(const PeImage& image, std::FILE* out) {
    ByteView file = image.File();
    std::uint64_t table = image.PointerToSymbolTable();
    std::uint32_t count = image.NumberOfSymbols();
    std::uint64_t strings = table + kSymbolSize * count;
    std::string text = Format("Symbol Table - %X entries  (* = auxillary symbol)\n", count);
    text += "Indx Name                 Value    Section    cAux  Type    Storage\n"
            "---- -------------------- -------- ---------- ----- ------- --------\n";
    for (std::uint64_t i = 0; i < count;) {
        std::uint64_t record = table + kSymbolSize * i;
        if (!file.Has(record, kSymbolSize))
            break;
        std::uint8_t storageClass = file.U8(record + 16);
        std::uint8_t auxCount = file.U8(record + 17);
        std::uint16_t type = file.U16(record + 14);
        text += Format("%04X ", unsigned(i)) + SymbolName(file, record, strings);
        text += Format(" %08X sect:%s aux:%X type:%02X st:%s\n", file.U32(record + 8),
                       SectionText(file.U16(record + 12)).c_str(), auxCount, type,
                       StorageClassName(storageClass));
        if (auxCount > 0 && file.Has(record + kSymbolSize, kSymbolSize))
            text += AuxText(file, record + kSymbolSize, storageClass, type);
        i += 1 + auxCount;
    }
    std::fwrite(text.data(), 1, text.size(), out);
}

std::string HexDump(ByteView bytes, std::uint64_t firstOffset) {
    static const char kHex[] = "0123456789ABCDEF";
    constexpr std::size_t kLine = 8 + 3 + 16 * 3 + 1 + 16 + 1;
    std::string out((bytes.Size() + 15) / 16 * kLine, ' ');
    char* o = out.data();
    for (std::size_t line = 0; line < bytes.Size(); line += 16) {
        std::uint64_t offset = firstOffset + line;
        for (int shift = 28; shift >= 0; shift -= 4)
            *o++ = kHex[(offset >> shift) & 15];
        *o++ = ':';
        o += 2;
        std::size_t present = std::min<std::size_t>(16, bytes.Size() - line);
        const std::uint8_t* p = bytes.Data() + line;
        for (std::size_t col = 0; col < 16; ++col) {
            if (col < present) {
                o[0] = kHex[p[col] >> 4];
                o[1] = kHex[p[col] & 15];
            }
            o += col == 7 ? 4 : 3; // one extra space after the eighth column
        }
        for (std::size_t col = 0; col < present; ++col)
            *o++ = (p[col] >= 0x20 && p[col] < 0x7F) ? char(p[col]) : '.';
        *o++ = '\n';
    }
    out.resize(std::size_t(o - out.data()));
    return out;
}

void DumpSectionHex(const PeImage& image, std::FILE* out) {
    ByteView file = image.File();
    std::fputs("Section Hex Dumps\n", out);
    unsigned index = 0;
    for (const SectionHeader& s : image.Sections()) {
        unsigned i = index++;
        if (s.pointerToRawData == 0)
            continue;
        std::fprintf(out, "section %02X (%s)  size: %08X  file offs: %08X\n", i, s.Name().c_str(),
                     s.sizeOfRawData, s.pointerToRawData);
        ByteView raw = file.From(s.pointerToRawData);
        raw = raw.Sub(0, std::min<std::uint64_t>(s.sizeOfRawData, raw.Size()));
        // In pieces, so that a large section never becomes one huge string.
        constexpr std::uint64_t kPiece = 64 * 1024;
        for (std::uint64_t at = 0; at < raw.Size(); at += kPiece) {
            std::string dump = HexDump(raw.Sub(at, std::min(kPiece, raw.Size() - at)), at);
            std::fwrite(dump.data(), 1, dump.size(), out);
        }
        std::fputs("\n", out);
    }
}

} // namespace vellum
