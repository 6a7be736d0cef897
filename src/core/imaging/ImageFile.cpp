// Loading the images the image view shows, with the checks hostile files need.
#include "imaging/ImageFile.h"

#include "common/FileIo.h"
#include "common/Path.h"
#include "common/Strings.h"
#include "formats/DibShape.h"
#include "formats/ResourceFiles.h"
#include "imaging/DibRaster.h"
#include "imaging/ImageCodecs.h"

#include <array>
#include <utility>

namespace vellum {

namespace {

// deflate never expands more than 1032 to 1, and a PNG row needs at least one filter byte and
// one bit per pixel: a stream claiming more pixels than that cannot hold them.
constexpr std::uint64_t kMaxDeflateRatio = 1032;

constexpr std::array<std::pair<std::string_view, ImageKind>, 8> kExtensions = {{
    {".bmp", ImageKind::Bitmap},
    {".png", ImageKind::Png},
    {".gif", ImageKind::Gif},
    {".jpg", ImageKind::Jpeg},
    {".avi", ImageKind::Avi},
    {".cur", ImageKind::Cursor},
    {".ico", ImageKind::Icon},
    {".ani", ImageKind::AnimatedCursor},
}};

bool SideInRange(std::int64_t side) {
    return side > 0 && side <= kMaxImageSide;
}

std::int64_t Rows(std::int32_t height) {
    return height < 0 ? -std::int64_t(height) : height;
}

// A DIB whose header says how many bytes its uncompressed rows take must have them.
LoadStatus CheckDib(ByteView dib, const DibHeader& header) {
    if (header.size < kCoreHeaderSize || !dib.Has(0, header.size))
        return LoadStatus::Invalid;
    if (!SideInRange(header.width) || !SideInRange(Rows(header.height)))
        return LoadStatus::Invalid;
    bool counted = header.compression == kDibRgb || header.compression == kDibBitFields;
    std::uint64_t rows = DibRowBytes(std::uint64_t(header.width), header.bitCount) *
                         std::uint64_t(Rows(header.height));
    if (counted && header.bitCount != 0 && !dib.Has(header.PixelOffset(), rows))
        return LoadStatus::Invalid;
    return LoadStatus::Ok;
}

LoadedDib FromDib(std::vector<std::uint8_t> dib) {
    LoadedDib loaded;
    ByteView view(dib.data(), dib.size());
    DibHeader header = DibHeader::Read(view);
    loaded.width = header.width;
    loaded.height = header.height;
    loaded.bitCount = header.bitCount;
    loaded.status = CheckDib(view, header);
    loaded.dib = std::move(dib);
    return loaded;
}

LoadedDib FromPng(ByteView png) {
    std::optional<PngHeader> shape = ReadPngHeader(png);
    LoadedDib invalid;
    invalid.status = LoadStatus::Invalid;
    if (!shape || !SideInRange(shape->width) || !SideInRange(shape->height))
        return invalid;
    std::uint64_t minimumBits = std::uint64_t(shape->width + 8) * shape->height;
    if (minimumBits / 8 > png.Size() * kMaxDeflateRatio)
        return invalid;
    std::optional<std::vector<std::uint8_t>> bmp = PngToBmpBytes(png);
    if (!bmp || bmp->size() <= BitmapFileHeader::kSize)
        return invalid;
    return FromDib(std::vector<std::uint8_t>(bmp->begin() + BitmapFileHeader::kSize, bmp->end()));
}

// The first image of a one-image file; the directory entry's offset is not consulted, as the
// project writes every image straight behind it.
LoadedDib FromIconFile(ByteView file) {
    ByteView image = file.From(kSingleImageOffset);
    if (image.Empty()) {
        LoadedDib invalid;
        invalid.status = LoadStatus::Invalid;
        return invalid;
    }
    if (IsPngStream(image))
        return FromPng(image);
    std::vector<std::uint8_t> dib(image.Data(), image.Data() + image.Size());
    // The header's height counts the colour rows and the AND mask; only the colour rows show.
    DibHeader header = DibHeader::Read(image);
    if (header.IsCore() && dib.size() >= 8) {
        std::uint16_t half = std::uint16_t(std::uint16_t(header.height) / 2);
        dib[6] = std::uint8_t(half);
        dib[7] = std::uint8_t(half >> 8);
    } else if (dib.size() >= 12) {
        std::uint32_t half = std::uint32_t(header.height / 2);
        for (int i = 0; i < 4; ++i)
            dib[8 + i] = std::uint8_t(half >> (8 * i));
    }
    return FromDib(std::move(dib));
}

} // namespace

ImageKind KindOfImageFile(std::string_view path, ImageRequest request) {
    if (request == ImageRequest::IconGroup)
        return ImageKind::IconGroup;
    if (request == ImageRequest::CursorGroup)
        return ImageKind::CursorGroup;
    std::string ext = SplitPath(path).ext;
    for (const auto& [candidate, kind] : kExtensions)
        if (EqualsNoCase(ext, candidate))
            return kind;
    return ImageKind::None;
}

bool IsDibKind(ImageKind kind) {
    return kind == ImageKind::Bitmap || kind == ImageKind::Png || kind == ImageKind::Icon ||
           kind == ImageKind::Cursor;
}

LoadedDib LoadDib(ByteView file, ImageKind kind) {
    switch (kind) {
    case ImageKind::Bitmap:
        if (file.Size() <= BitmapFileHeader::kSize)
            return FromDib({});
        return FromDib(std::vector<std::uint8_t>(file.Data() + BitmapFileHeader::kSize,
                                                 file.Data() + file.Size()));
    case ImageKind::Png:
        return FromPng(file);
    case ImageKind::Icon:
    case ImageKind::Cursor:
        return FromIconFile(file);
    default:
        return {};
    }
}

LoadedDib LoadDibFile(const std::string& path, ImageKind kind) {
    std::vector<std::uint8_t> bytes;
    if (FAILED(ReadWholeFile(path, bytes)))
        return {};
    return LoadDib(ByteView(bytes.data(), bytes.size()), kind);
}

LoadedAnimation LoadAnimation(ByteView file) {
    LoadedAnimation animation;
    std::optional<AniCursor> ani = AniCursor::Read(file);
    animation.status = ani ? LoadStatus::Ok : LoadStatus::Invalid;
    if (!ani)
        return animation;
    for (ByteView frame : ani->frames) {
        bool cursor = IconDirHeader::Read(frame).type == kIconDirCursor;
        animation.frames.push_back(LoadDib(frame, cursor ? ImageKind::Cursor : ImageKind::Icon));
    }
    animation.steps = ani->Steps();
    // A frame that cannot be drawn makes the whole file suspect.
    for (const LoadedDib& frame : animation.frames)
        if (frame.status != LoadStatus::Ok)
            animation.status = LoadStatus::Invalid;
    if (animation.steps.empty())
        animation.status = LoadStatus::Invalid;
    return animation;
}

LoadedAnimation LoadAnimationFile(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    if (FAILED(ReadWholeFile(path, bytes)))
        return {};
    return LoadAnimation(ByteView(bytes.data(), bytes.size()));
}

std::string PixelDepthText(unsigned bitCount) {
    switch (bitCount) {
    case 1:
        return "Pixel Depth/Colors: 1/2";
    case 4:
        return "Pixel Depth/Colors: 4/16";
    case 8:
        return "Pixel Depth/Colors: 8/256";
    case 16:
        return "Pixel Depth/Colors: 16/65536";
    case 24:
        return "Pixel Depth/Colors: 24/16m";
    case 32:
        return "Pixel Depth/Colors: 24+8Alpha/16m";
    default:
        return {};
    }
}

ImageInfoTexts InfoTextsFor(std::string_view path, ImageKind kind, const LoadedDib& image) {
    PathParts parts = SplitPath(path);
    unsigned bits = image.bitCount;
    if (kind == ImageKind::Png || ((kind == ImageKind::Icon || kind == ImageKind::Cursor) && !bits))
        bits = 32;
    return {"File Name: " + parts.fname + parts.ext,
            Format("File Size: %zu Bytes", image.dib.size()),
            Format("Image Size: %dx%d", image.width, image.height), PixelDepthText(bits)};
}

std::string GroupMemberFileName(unsigned id, bool cursor) {
    return cursor ? Format("Cursor%.5u.CUR", id) : Format("Icon%.5u.ICO", id);
}

LoadedGroup LoadGroupFile(const std::string& path, bool cursor) {
    LoadedGroup group;
    group.cursor = cursor;
    std::vector<std::uint8_t> bytes;
    if (FAILED(ReadWholeFile(path, bytes)))
        return group;
    group.directory = GroupDirectory::Read(ByteView(bytes.data(), bytes.size()), cursor);
    group.status = group.directory.header.IsIconOrCursor() ? LoadStatus::Ok : LoadStatus::Invalid;
    std::string folder = SplitPath(path).drive + SplitPath(path).dir;
    ImageKind kind = cursor ? ImageKind::Cursor : ImageKind::Icon;
    for (const GroupEntry& entry : group.directory.entries) {
        std::optional<std::string> member =
            ResolveInFolder(folder, GroupMemberFileName(entry.id, cursor));
        group.members.push_back(member ? LoadDibFile(*member, kind) : LoadedDib{});
    }
    return group;
}

std::string GroupListingText(const GroupDirectory& directory) {
    std::string text =
        Format(" Images: %zu\n ID     Size    BPP  Bytes\n", directory.entries.size());
    for (const GroupEntry& entry : directory.entries)
        text += Format("%4u  %3u x%3u  %3u %6u\n", unsigned(entry.id), unsigned(entry.width),
                       unsigned(entry.height), unsigned(entry.bitCount), unsigned(entry.bytes));
    return text;
}

} // namespace vellum
