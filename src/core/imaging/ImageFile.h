// What the image view shows of a resource file: its kind, the packed DIB it draws, the four info
// texts, and for icon and cursor groups the directory listing and the member files. Every size
// an image claims is checked against the bytes that hold it before anything is allocated.
#pragma once

#include "common/ByteView.h"
#include "formats/AniCursor.h"
#include "formats/IconDirectory.h"
#include "imaging/ColorizeApply.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vellum {

enum class ImageKind {
    None,
    Bitmap,
    Png,
    Gif,
    Jpeg,
    Avi,
    Icon,
    Cursor,
    IconGroup,
    CursorGroup,
    AnimatedCursor,
};

// The request decides for groups; otherwise the extension (any case): .bmp .png .gif .jpg .avi
// .cur .ico .ani.
ImageKind KindOfImageFile(std::string_view path, ImageRequest request);
// Kinds drawn from a packed DIB; the others are previews the platform's image readers show.
bool IsDibKind(ImageKind kind);

enum class LoadStatus {
    Ok,
    Unreadable, // the file is missing or cannot be read: nothing is shown
    Invalid,    // the bytes claim an image they do not hold: the user may delete the resource
};

// A packed DIB (header, colour table, rows). Icons and cursors keep the first image's DIB with
// the header's height halved to the colour rows, so the AND mask is not drawn.
struct LoadedDib {
    LoadStatus status = LoadStatus::Unreadable;
    std::vector<std::uint8_t> dib;
    std::int32_t width = 0;
    std::int32_t height = 0; // rows; negative for a top-down bitmap as the header says
    std::uint16_t bitCount = 0;
};

// A file's bytes as Bitmap (behind the 14-byte file header), Png (decoded to a bitmap's DIB),
// Icon or Cursor (the image behind the 6-byte header and first 16-byte entry; a PNG image there
// is decoded). Invalid for a side of 0 or beyond 65,535, uncompressed rows the bytes do not
// hold, and PNG streams that claim more pixels than their deflate data can make.
LoadedDib LoadDib(ByteView file, ImageKind kind);
LoadedDib LoadDibFile(const std::string& path, ImageKind kind);

// An animated cursor's frames, each loaded as a cursor or icon file, and the steps that play them.
struct LoadedAnimation {
    LoadStatus status = LoadStatus::Unreadable;
    std::vector<LoadedDib> frames;
    std::vector<AniCursor::Step> steps;
};
LoadedAnimation LoadAnimation(ByteView file);
LoadedAnimation LoadAnimationFile(const std::string& path);

struct ImageInfoTexts {
    std::string fileName;   // "File Name: NAME.EXT"
    std::string fileSize;   // "File Size: N Bytes" (the DIB's bytes)
    std::string imageSize;  // "Image Size: WxH"
    std::string pixelDepth; // "Pixel Depth/Colors: 8/256"; empty for unusual depths
};

// A PNG counts as 32 bits; an icon or cursor without a bit count (a PNG image) too.
ImageInfoTexts InfoTextsFor(std::string_view path, ImageKind kind, const LoadedDib& image);
std::string PixelDepthText(unsigned bitCount);

// A group resource file and the one-image files of its members, which the project keeps beside
// it as IconNNNNN.ICO or CursorNNNNN.CUR.
struct LoadedGroup {
    LoadStatus status = LoadStatus::Unreadable;
    bool cursor = false;
    GroupDirectory directory;
    std::vector<LoadedDib> members; // one per directory entry, in order
};

LoadedGroup LoadGroupFile(const std::string& path, bool cursor);
// The member's file name: "Icon%.5d.ICO" or "Cursor%.5d.CUR".
std::string GroupMemberFileName(unsigned id, bool cursor);
// " Images: N\n ID     Size    BPP  Bytes\n" and one "%4d  %3d x%3d  %3d %6d\n" per entry: ID,
// width, height, bit count, bytes, as the group's entry layout records them.
std::string GroupListingText(const GroupDirectory& directory);

} // namespace vellum
