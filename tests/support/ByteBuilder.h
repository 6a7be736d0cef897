// Test inputs written byte by byte from the published layouts, independently of the readers and
// writers under test: little-endian fields, DIB headers, bitmap, icon and cursor files, group
// resources, PNG chunks and string blocks.
#pragma once

#include "common/ByteView.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vellum::test {

using Bytes = std::vector<std::uint8_t>;

// Appends little-endian fields to the bytes it owns. Patches at an offset must land inside what
// is already written: a write past the end is a mistake in the test, so it throws
// std::out_of_range (a test failure) instead of growing the buffer or corrupting memory.
class ByteWriter {
public:
    ByteWriter() = default;
    explicit ByteWriter(Bytes start) : bytes_(std::move(start)) {}

    ByteWriter& U8(std::uint32_t v);
    ByteWriter& U16(std::uint32_t v);
    ByteWriter& U32(std::uint32_t v);
    ByteWriter& U64(std::uint64_t v);
    // PNG's lengths and sizes are big-endian.
    ByteWriter& U32BigEndian(std::uint32_t v);
    ByteWriter& Append(const Bytes& bytes);
    // The characters as they are, without a terminator.
    ByteWriter& Ascii(std::string_view text);
    // UTF-16LE code units, without a terminator.
    ByteWriter& Utf16(std::u16string_view text);
    ByteWriter& Fill(std::size_t count, std::uint8_t value = 0);
    // Fills up to `size` bytes; a writer already that long is left as it is.
    ByteWriter& PadTo(std::size_t size, std::uint8_t value = 0);
    // Fills up to the next multiple of `unit`.
    ByteWriter& Align(std::size_t unit, std::uint8_t value = 0);

    ByteWriter& Patch16(std::size_t at, std::uint32_t v);
    ByteWriter& Patch32(std::size_t at, std::uint32_t v);

    std::size_t Size() const { return bytes_.size(); }
    const Bytes& Data() const { return bytes_; }
    Bytes Take() { return std::move(bytes_); }

private:
    Bytes bytes_;
};

// Overwrites a field of finished bytes; like ByteWriter's patches, a field past the end throws.
void Put16(Bytes& b, std::size_t at, std::uint32_t v);
void Put32(Bytes& b, std::size_t at, std::uint32_t v);

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline ByteView View(const Bytes& b) {
    return ByteView(b.data(), b.size());
}

// The characters of `text` as bytes, without a terminator.
Bytes BytesOf(std::string_view text);

// ---- DIBs and bitmap files ---------------------------------------------------------------------

// The sizes of the DIB header versions.
constexpr std::uint32_t kBitmapCoreHeader = 12;
constexpr std::uint32_t kBitmapInfoHeader = 40;
constexpr std::uint32_t kBitmapV4Header = 108;
constexpr std::uint32_t kBitmapV5Header = 124;

// The header fields tests set; every other field is zero. An icon's height counts both the XOR
// and the AND rows.
struct DibFields {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t imageBytes = 0;
    std::int32_t xPixelsPerMetre = 0;
    std::int32_t yPixelsPerMetre = 0;
    std::uint32_t coloursUsed = 0;
    std::uint16_t planes = 1;
};

// A DIB header of `size` bytes. 12 gives a BITMAPCOREHEADER (16-bit width and height, planes,
// bit count); any other size the BITMAPINFOHEADER fields that fit in it, zeros after 40 bytes
// (the V4 and V5 masks, colour space and profile) and a header cut short before 40.
Bytes DibHeaderBytes(const DibFields& fields, std::uint32_t size = kBitmapInfoHeader);

// A DIB as icons and bitmaps hold it: header, colour table (or bit-field masks), XOR rows, then
// the AND rows of an icon.
Bytes DibBytes(const DibFields& fields, const Bytes& colours, const Bytes& xorRows,
               const Bytes& andRows = {}, std::uint32_t headerSize = kBitmapInfoHeader);

// BITMAPFILEHEADER: "BM", the file size, two reserved words of 0, where the pixels start.
Bytes BitmapFileHeaderBytes(std::uint32_t fileSize, std::uint32_t pixelOffset);

// A .bmp file with a 40-byte info header: file header, DIB header, colour table, rows.
Bytes BmpFileBytes(const DibFields& fields, const Bytes& colours, const Bytes& rows);

// ---- icon and cursor files and groups ----------------------------------------------------------

// One image of an .ico or .cur file and the fields of its 16-byte directory entry. A cursor
// file keeps the hot spot where an icon file has planes and bit count.
struct IcoFileImage {
    std::uint8_t width = 0; // 256 is written as 0
    std::uint8_t height = 0;
    std::uint8_t colours = 0;
    std::uint16_t planes = 1;   // hot spot x
    std::uint16_t bitCount = 0; // hot spot y
    Bytes image;
};

constexpr std::uint16_t kIconType = 1;
constexpr std::uint16_t kCursorType = 2;

// An .ico (type 1) or .cur (type 2) file: the 6-byte header, the entries, then the images in
// order, each entry holding its image's size and offset.
Bytes IconFileBytes(std::uint16_t type, const std::vector<IcoFileImage>& images);

// One 14-byte entry of an icon or cursor group resource: the file entry's fields with the
// member's resource ID where the file keeps the offset.
struct GroupMember {
    std::uint8_t width = 0;
    std::uint8_t height = 0;
    std::uint8_t colours = 0;
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 0;
    std::uint32_t bytes = 0;
    std::uint16_t id = 0;
};

// A group resource (type 1 icons, type 2 cursors): the 6-byte header, then the entries.
Bytes GroupBytes(std::uint16_t type, const std::vector<GroupMember>& members);

// ---- PNG streams and string tables -------------------------------------------------------------

extern const Bytes kPngSignature;

// A chunk: big-endian length, type, data, then the CRC as given (the readers that only measure
// streams never check it).
Bytes PngChunk(std::string_view type, const Bytes& data, std::uint32_t crc = 0);

// The 13 bytes of IHDR: width and height (big-endian), bit depth, colour type, then zero
// compression, filter and interlace methods.
Bytes PngHeaderData(std::uint32_t width, std::uint32_t height, std::uint8_t bitDepth = 0,
                    std::uint8_t colourType = 0);

// A string-table block as the resource holds it: 16 strings (missing ones empty), each a 16-bit
// length and its UTF-16 code units.
Bytes StringBlock(const std::vector<std::u16string>& strings);

// ---- animated cursors ---------------------------------------------------------------------------

// A RIFF chunk: 4-character id, little-endian size, data, a pad byte after odd sizes.
Bytes RiffChunk(std::string_view id, const Bytes& data);
// "RIFF", its size, "ACON", then the chunks.
Bytes AconFile(const Bytes& chunks);
// "anih" with the frame and step counts and the display rate (jiffies); flag 1 (icon frames).
Bytes AniHeaderChunk(std::uint32_t frames, std::uint32_t rate);
// LIST "fram" with one "icon" chunk per frame.
Bytes AniFramesChunk(const std::vector<Bytes>& frames);

} // namespace vellum::test
