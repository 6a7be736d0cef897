// Shell links laid out byte by byte for the tests.
#include "platform/LinkBuilder.h"

namespace vellum::test::link {

void U16(Bytes& b, unsigned v) {
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}
void U32(Bytes& b, std::uint32_t v) {
    U16(b, v & 0xFFFF);
    U16(b, v >> 16);
}
void Ansi(Bytes& b, const std::string& s, bool nul) {
    b.insert(b.end(), s.begin(), s.end());
    if (nul)
        b.push_back(0);
}
void Wide(Bytes& b, const std::u16string& s, bool nul) {
    for (char16_t c : s)
        U16(b, c);
    if (nul)
        U16(b, 0);
}

Bytes Build(const LinkFields& fields) {
    std::uint32_t flags = fields.extraFlags;
    if (fields.idItems)
        flags |= 0x1;
    if (fields.linkInfo)
        flags |= 0x2;
    for (int i = 0; i < 5; ++i)
        if (fields.strings[std::size_t(i)])
            flags |= 0x4u << i;
    Bytes b;
    U32(b, 0x4C);
    for (std::uint8_t c : {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00,
                           0x00, 0x00, 0x00, 0x46})
        b.push_back(c);
    U32(b, flags);
    U32(b, 0x20);                // FileAttributes
    for (int i = 0; i < 24; ++i) // three FILETIMEs with recognisable bytes
        b.push_back(std::uint8_t(0xA0 + i));
    U32(b, 12345);                           // FileSize
    U32(b, std::uint32_t(fields.iconIndex)); // IconIndex
    U32(b, 7);                               // ShowCommand: minimised
    U16(b, 0x0341);                          // HotKey
    for (int i = 0; i < 10; ++i)
        b.push_back(0);
    if (fields.idItems) {
        U16(b, unsigned(fields.idItems->size() + 2));
        b.insert(b.end(), fields.idItems->begin(), fields.idItems->end());
        U16(b, 0);
    }
    if (fields.linkInfo)
        b.insert(b.end(), fields.linkInfo->begin(), fields.linkInfo->end());
    for (const auto& s : fields.strings) {
        if (!s)
            continue;
        U16(b, unsigned(s->size()));
        if (fields.extraFlags & 0x80)
            Wide(b, *s, false);
        else
            Ansi(b, std::string(s->begin(), s->end()), false);
    }
    for (const Bytes& block : fields.blocks)
        b.insert(b.end(), block.begin(), block.end());
    if (fields.terminal)
        U32(b, 0);
    return b;
}

// LinkInfo with a VolumeID and a local base path; header 0x1C (ANSI only) or 0x24 (with the
// Unicode forms of the base path and suffix).
Bytes LocalLinkInfo(const std::string& base, const std::string& suffix, bool unicode) {
    std::uint32_t header = unicode ? 0x24 : 0x1C;
    Bytes volume;
    U32(volume, 0x11);       // VolumeIDSize
    U32(volume, 3);          // DriveType: fixed
    U32(volume, 0x1234ABCD); // serial number
    U32(volume, 0x10);       // VolumeLabelOffset
    Ansi(volume, "");
    Bytes strings;
    std::uint32_t volumeAt = header;
    std::uint32_t baseAt = volumeAt + std::uint32_t(volume.size());
    Ansi(strings, base);
    std::uint32_t suffixAt = baseAt + std::uint32_t(strings.size());
    Ansi(strings, suffix);
    std::uint32_t baseUnicodeAt = 0, suffixUnicodeAt = 0;
    if (unicode) {
        baseUnicodeAt = volumeAt + std::uint32_t(volume.size() + strings.size());
        Wide(strings, std::u16string(base.begin(), base.end()) + u"\u00e9");
        suffixUnicodeAt = volumeAt + std::uint32_t(volume.size() + strings.size());
        Wide(strings, std::u16string(suffix.begin(), suffix.end()));
    }
    Bytes info;
    U32(info, std::uint32_t(header + volume.size() + strings.size()));
    U32(info, header);
    U32(info, 1); // VolumeIDAndLocalBasePath
    U32(info, volumeAt);
    U32(info, baseAt);
    U32(info, 0);
    U32(info, suffixAt);
    if (unicode) {
        U32(info, baseUnicodeAt);
        U32(info, suffixUnicodeAt);
    }
    info.insert(info.end(), volume.begin(), volume.end());
    info.insert(info.end(), strings.begin(), strings.end());
    return info;
}

// An IconEnvironmentDataBlock or EnvironmentVariableDataBlock: 260 ANSI bytes and 260 UTF-16
// units after the header.
Bytes EnvironmentBlock(std::uint32_t signature, const std::string& text) {
    Bytes block;
    U32(block, 0x314);
    U32(block, signature);
    Bytes ansi;
    Ansi(ansi, text);
    ansi.resize(260);
    Bytes wide;
    Wide(wide, std::u16string(text.begin(), text.end()));
    wide.resize(520);
    block.insert(block.end(), ansi.begin(), ansi.end());
    block.insert(block.end(), wide.begin(), wide.end());
    return block;
}

// Any other block is kept as it is; this one stands for a tracker or property store block.
Bytes OpaqueBlock() {
    Bytes block;
    U32(block, 16);
    U32(block, 0xA0000003);
    for (int i = 0; i < 8; ++i)
        block.push_back(std::uint8_t(0x50 + i));
    return block;
}

// IDList items: the root folder (My Computer), the drive "C:\", then file-system items.
Bytes PathItems(const std::vector<std::string>& names) {
    Bytes items;
    U16(items, 20);
    items.push_back(0x1F);
    items.push_back(0x50);
    for (int i = 0; i < 16; ++i)
        items.push_back(std::uint8_t(i));
    Bytes drive = {0, 0, 0x2F};
    Ansi(drive, "C:\\");
    drive.resize(25);
    drive[0] = std::uint8_t(drive.size());
    items.insert(items.end(), drive.begin(), drive.end());
    for (const std::string& name : names) {
        Bytes item = {0, 0, 0x32, 0};
        for (int i = 0; i < 10; ++i) // size, date, time, attributes
            item.push_back(0);
        Ansi(item, name);
        item[0] = std::uint8_t(item.size());
        items.insert(items.end(), item.begin(), item.end());
    }
    return items;
}

} // namespace vellum::test::link
