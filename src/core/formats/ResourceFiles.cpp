// Bitmap file headers and .ico or .cur files assembled from groups.
#include "formats/ResourceFiles.h"

#include "common/ByteWriter.h"

namespace vellum {

namespace {

// BITMAPFILEHEADER fields.
constexpr std::uint64_t kFileType = 0;
constexpr std::uint64_t kFileSize = 2;
constexpr std::uint64_t kFileReserved1 = 6;
constexpr std::uint64_t kFileReserved2 = 8;
constexpr std::uint64_t kFilePixelOffset = 10;

} // namespace

BitmapFileHeader BitmapFileHeader::Read(ByteView file) {
    BitmapFileHeader h;
    h.type = file.U16(kFileType);
    h.fileSize = file.U32(kFileSize);
    h.reserved1 = file.U16(kFileReserved1);
    h.reserved2 = file.U16(kFileReserved2);
    h.pixelOffset = file.U32(kFilePixelOffset);
    return h;
}

void BitmapFileHeader::Append(std::vector<std::uint8_t>& out) const {
    AppendU16(out, type);
    AppendU32(out, fileSize);
    AppendU16(out, reserved1);
    AppendU16(out, reserved2);
    AppendU32(out, pixelOffset);
}

BitmapFileHeader BitmapFileHeaderFor(ByteView dib) {
    DibHeader header = DibHeader::Read(dib);
    if (dib.Size() < 4)
        header.size = kInfoHeaderSize;
    BitmapFileHeader file;
    file.fileSize = std::uint32_t(dib.Size() + BitmapFileHeader::kSize);
    file.pixelOffset = std::uint32_t(BitmapFileHeader::kSize + header.PixelOffset());
    return file;
}

namespace {

struct GroupMember {
    IconDirEntry entry;
    std::vector<std::uint8_t> image;
};

GroupMember MemberOf(const GroupEntry& groupEntry, bool cursor, ByteView file) {
    GroupMember member;
    std::optional<IconDirEntry> fileEntry = SingleImageFileEntry(file);
    if (cursor && fileEntry) {
        member.entry = *fileEntry;
    } else if (cursor) {
        // No file to take the hot spot from: the group entry's size, in a file entry's terms.
        member.entry.width = std::uint8_t(groupEntry.width);
        member.entry.height = std::uint8_t(groupEntry.height / 2);
        // The group counts the hot spot the image lacks.
        member.entry.bytes = groupEntry.bytes >= kHotSpotSize ? groupEntry.bytes - kHotSpotSize : 0;
    } else {
        member.entry = {std::uint8_t(groupEntry.width),
                        std::uint8_t(groupEntry.height),
                        groupEntry.colours,
                        groupEntry.reserved,
                        groupEntry.planes,
                        groupEntry.bitCount,
                        groupEntry.bytes,
                        0};
    }
    member.image = ImageOfSingleImageFile(file, member.entry.bytes);
    return member;
}

} // namespace

std::optional<std::vector<std::uint8_t>> GroupFile(ByteView group, bool cursor,
                                                   const MemberFileSource& memberFile,
                                                   std::uint32_t& lastImage) {
    GroupDirectory directory = GroupDirectory::Read(group, cursor);
    std::uint64_t total = kIconDirSize + kIconDirEntrySize * directory.entries.size();
    for (const GroupEntry& entry : directory.entries)
        total += entry.bytes;
    if (total > kMaxGroupFileSize)
        return std::nullopt;
    std::vector<GroupMember> members;
    for (const GroupEntry& entry : directory.entries) {
        std::vector<std::uint8_t> file = memberFile(entry.id);
        members.push_back(MemberOf(entry, cursor, ByteView(file.data(), file.size())));
    }
    IconFile out{directory.header, {}};
    lastImage = 0;
    for (const GroupMember& m : members) {
        out.images.push_back({m.entry, ByteView(m.image.data(), m.image.size())});
        lastImage = std::uint32_t(m.image.size());
    }
    return out.Write();
}

} // namespace vellum
