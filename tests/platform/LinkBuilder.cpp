// Shell links laid out byte by byte for the tests.
#include "platform/LinkBuilder.h"

namespace vellum::test::link {

namespace {

// Strings in a LinkInfo and in the data blocks end with a NUL; the counted strings of
// StringData do not.
void Ansi(ByteWriter& w, const std::string& s) {
    w.Ascii(s).U8(0);
}
void Wide(ByteWriter& w, const std::u16string& s) {
    w.Utf16(s).U16(0);
}

// ShellLinkHeader: size 0x4C, the link CLSID, the flags, then fields with recognisable values.
void WriteHeader(ByteWriter& w, std::uint32_t flags, std::int32_t iconIndex) {
    w.U32(0x4C);
    w.Append({0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00,
              0x00, 0x46});
    w.U32(flags);
    w.U32(0x20);                 // FileAttributes
    for (int i = 0; i < 24; ++i) // three FILETIMEs with recognisable bytes
        w.U8(0xA0 + i);
    w.U32(12345);                    // FileSize
    w.U32(std::uint32_t(iconIndex)); // IconIndex
    w.U32(7);                        // ShowCommand: minimised
    w.U16(0x0341);                   // HotKey
    w.Fill(10);
}

} // namespace

Bytes Build(const LinkFields& fields) {
    std::uint32_t flags = fields.extraFlags;
    if (fields.idItems)
        flags |= 0x1;
    if (fields.linkInfo)
        flags |= 0x2;
    for (int i = 0; i < 5; ++i)
        if (fields.strings[std::size_t(i)])
            flags |= 0x4u << i;
    ByteWriter w;
    WriteHeader(w, flags, fields.iconIndex);
    if (fields.idItems)
        w.U16(unsigned(fields.idItems->size() + 2)).Append(*fields.idItems).U16(0);
    if (fields.linkInfo)
        w.Append(*fields.linkInfo);
    for (const auto& s : fields.strings) {
        if (!s)
            continue;
        w.U16(unsigned(s->size()));
        if (fields.extraFlags & 0x80)
            w.Utf16(*s);
        else
            w.Ascii(std::string(s->begin(), s->end()));
    }
    for (const Bytes& block : fields.blocks)
        w.Append(block);
    if (fields.terminal)
        w.U32(0);
    return w.Take();
}

// LinkInfo with a VolumeID and a local base path; header 0x1C (ANSI only) or 0x24 (with the
// Unicode forms of the base path and suffix).
Bytes LocalLinkInfo(const std::string& base, const std::string& suffix, bool unicode) {
    std::uint32_t header = unicode ? 0x24 : 0x1C;
    ByteWriter volume;
    volume.U32(0x11);       // VolumeIDSize
    volume.U32(3);          // DriveType: fixed
    volume.U32(0x1234ABCD); // serial number
    volume.U32(0x10);       // VolumeLabelOffset
    Ansi(volume, "");
    ByteWriter strings;
    std::uint32_t volumeAt = header;
    std::uint32_t baseAt = volumeAt + std::uint32_t(volume.Size());
    Ansi(strings, base);
    std::uint32_t suffixAt = baseAt + std::uint32_t(strings.Size());
    Ansi(strings, suffix);
    std::uint32_t baseUnicodeAt = 0, suffixUnicodeAt = 0;
    if (unicode) {
        baseUnicodeAt = volumeAt + std::uint32_t(volume.Size() + strings.Size());
        Wide(strings, std::u16string(base.begin(), base.end()) + u"\u00e9");
        suffixUnicodeAt = volumeAt + std::uint32_t(volume.Size() + strings.Size());
        Wide(strings, std::u16string(suffix.begin(), suffix.end()));
    }
    ByteWriter info;
    info.U32(std::uint32_t(header + volume.Size() + strings.Size()));
    info.U32(header);
    info.U32(1); // VolumeIDAndLocalBasePath
    info.U32(volumeAt);
    info.U32(baseAt);
    info.U32(0);
    info.U32(suffixAt);
    if (unicode)
        info.U32(baseUnicodeAt).U32(suffixUnicodeAt);
    return info.Append(volume.Data()).Append(strings.Data()).Take();
}

// An IconEnvironmentDataBlock or EnvironmentVariableDataBlock: 260 ANSI bytes and 260 UTF-16
// units after the header.
Bytes EnvironmentBlock(std::uint32_t signature, const std::string& text) {
    ByteWriter ansi;
    Ansi(ansi, text);
    Bytes ansiField = ansi.Take();
    ansiField.resize(260);
    ByteWriter wide;
    Wide(wide, std::u16string(text.begin(), text.end()));
    Bytes wideField = wide.Take();
    wideField.resize(520);
    return ByteWriter().U32(0x314).U32(signature).Append(ansiField).Append(wideField).Take();
}

// Any other block is kept as it is; this one stands for a tracker or property store block.
Bytes OpaqueBlock() {
    ByteWriter block;
    block.U32(16).U32(0xA0000003);
    for (int i = 0; i < 8; ++i)
        block.U8(0x50 + i);
    return block.Take();
}

// IDList items: the root folder (My Computer), the drive "C:\", then file-system items. Each
// item starts with its own size.
Bytes PathItems(const std::vector<std::string>& names) {
    ByteWriter items;
    items.U16(20).U8(0x1F).U8(0x50);
    for (int i = 0; i < 16; ++i)
        items.U8(i);
    ByteWriter drive;
    drive.U16(0).U8(0x2F);
    Ansi(drive, "C:\\");
    Bytes driveItem = drive.PadTo(25).Patch16(0, 25).Take();
    items.Append(driveItem);
    for (const std::string& name : names) {
        ByteWriter item;
        item.U16(0).U8(0x32).U8(0);
        item.Fill(10); // size, date, time, attributes
        Ansi(item, name);
        item.Patch16(0, std::uint32_t(item.Size()));
        items.Append(item.Data());
    }
    return items.Take();
}

} // namespace vellum::test::link
