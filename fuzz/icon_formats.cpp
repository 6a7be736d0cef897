// libFuzzer target: reads arbitrary bytes as an .ico or .cur file, an icon or cursor group, a
// one-image file and a DIB header; whatever reads back must write and read again to the same.
#include "formats/DibShape.h"
#include "formats/IconDirectory.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

using vellum::ByteView;

ByteView View(const std::vector<std::uint8_t>& bytes) {
    return ByteView(bytes.data(), bytes.size());
}

bool SameEntry(vellum::IconDirEntry a, vellum::IconDirEntry b) {
    return a.width == b.width && a.height == b.height && a.colours == b.colours &&
           a.reserved == b.reserved && a.planes == b.planes && a.bitCount == b.bitCount;
}

void CheckIconFile(ByteView bytes) {
    std::optional<vellum::IconFile> icon = vellum::IconFile::Read(bytes);
    if (!icon)
        return;
    std::vector<std::uint8_t> written = icon->Write();
    std::optional<vellum::IconFile> back = vellum::IconFile::Read(View(written));
    if (!back || back->images.size() != icon->images.size())
        __builtin_trap();
    for (std::size_t i = 0; i < icon->images.size(); ++i) {
        ByteView a = icon->images[i].image, b = back->images[i].image;
        if (!SameEntry(icon->images[i].entry, back->images[i].entry) || a.Size() != b.Size() ||
            !std::equal(a.Data(), a.Data() + a.Size(), b.Data()))
            __builtin_trap();
    }
}

void CheckGroup(ByteView bytes, bool cursor) {
    vellum::GroupDirectory group = vellum::GroupDirectory::Read(bytes, cursor);
    std::vector<std::uint8_t> written = group.Write(cursor);
    if (bytes.Size() >= vellum::kIconDirSize) {
        // A group read whole writes back its own bytes, up to its last entry.
        std::uint64_t end = vellum::GroupDirectory::SizeFor(group.entries.size());
        if (group.Complete() && !std::equal(written.begin(), written.end(), bytes.Data()))
            __builtin_trap();
        if (written.size() != end)
            __builtin_trap();
    }
    vellum::GroupDirectory back = vellum::GroupDirectory::Read(View(written), cursor);
    if (!back.Complete() || back.entries.size() != group.entries.size())
        __builtin_trap();
}

void CheckSingleImageFile(ByteView bytes, bool cursor) {
    std::vector<std::uint8_t> file = vellum::SingleImageFileOfResource(bytes, cursor);
    auto back = vellum::ResourceOfSingleImageFile(View(file), cursor);
    bool whole = !cursor || bytes.Size() >= vellum::kHotSpotSize;
    if (!back || (whole && (back->size() != bytes.Size() ||
                            !std::equal(back->begin(), back->end(), bytes.Data()))))
        __builtin_trap();
}

void CheckDib(ByteView bytes) {
    vellum::DibHeader header = vellum::DibHeader::Read(bytes);
    vellum::IconImageSize(bytes);
    if (header.size != vellum::kInfoHeaderSize || !bytes.Has(0, vellum::kInfoHeaderSize))
        return;
    std::vector<std::uint8_t> written;
    header.AppendInfoHeader(written);
    if (!std::equal(written.begin(), written.end(), bytes.Data()))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ByteView bytes(data, size);
    CheckIconFile(bytes);
    for (bool cursor : {false, true}) {
        CheckGroup(bytes, cursor);
        CheckSingleImageFile(bytes, cursor);
    }
    CheckDib(bytes);
    return 0;
}
