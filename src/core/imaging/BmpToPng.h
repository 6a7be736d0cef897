// Converts a Windows bitmap file (.bmp) into a PNG file of the same name, through libpng.
#pragma once

#include "common/ByteBuffer.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// libpng's read and write structure (png.h calls it png_struct).
struct png_struct_def;

namespace vellum {

// Receives one line per step of a conversion ("Reading x.bmp", "SKIPPED: ... - x.bmp\n").
// An empty hook records nothing; the result of a conversion never depends on it.
using DiagnosticsHook = std::function<void(const std::string&)>;

// A decoded bitmap: the pixel rows exactly as a BMP file stores them (blue, green, red and, for
// 32 bits, alpha; rows padded to 4 bytes) plus row pointers that list the picture top row first.
struct ImageRecord {
    using Rgb = std::array<std::uint8_t, 3>; // red, green, blue

    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bitCount = 0; // 1, 4, 8, 24 or 32
    std::vector<Rgb> palette;
    bool topDown = false;
    // The resolution a bitmap header states (biXPelsPerMeter, biYPelsPerMeter) and a PNG carries
    // in its pHYs chunk; 0 when none is given.
    std::uint32_t xPixelsPerMetre = 0;
    std::uint32_t yPixelsPerMetre = 0;
    std::size_t stride = 0;
    ByteBuffer pixels;               // stride * height bytes, in file row order
    std::vector<std::uint8_t*> rows; // height pointers into pixels, top row first

    ImageRecord() = default;
    ImageRecord(const ImageRecord&) = delete; // rows point into this record's own block
    ImageRecord& operator=(const ImageRecord&) = delete;
    ImageRecord(ImageRecord&&) = default;
    ImageRecord& operator=(ImageRecord&&) = default;

    // Bytes per stored row: bit count times width rounded up to whole 32-bit words.
    static std::uint64_t StrideFor(std::int32_t width, unsigned bitCount);
    // stride * height, or nothing when the product does not fit in memory at all.
    static std::optional<std::size_t> BlockSizeFor(std::int32_t width, std::int32_t height,
                                                   unsigned bitCount);

    // Sets the geometry, allocates palette, row pointers and pixel block, zeroes each row's
    // padding word and points the rows top row first. False (and an empty record) when the
    // sizes overflow or memory runs out.
    bool Allocate(std::int32_t width, std::int32_t height, std::uint16_t bitCount,
                  std::size_t paletteCount, bool topDown);
    void Free();

    // True when the depth is one of the five and every row lies inside the pixel block, as after
    // Allocate; a record filled by hand (or never filled) may not be.
    bool IsConsistent() const;
};

// Where libpng's error handler leaves its message; pass it as the error pointer.
struct PngFailure {
    char message[128] = {};
};

// The handlers every PNG codec installs. An error keeps libpng's message in the PngFailure and
// jumps back to the codec's setjmp, so the codec fails; warnings are ignored.
[[noreturn]] void OnPngError(png_struct_def* png, const char* message);
void IgnorePngWarning(png_struct_def* png, const char* message);

// Reads a BMP file: uncompressed 1, 4, 8, 24 or 32 bits per pixel, with a core (12-byte) or any
// later info header, optionally behind one 128-byte MacBinary header.
bool ReadBmp(const std::string& path, ImageRecord& image, const DiagnosticsHook& hook = {});

// Writes the image as PNG (RGBA, RGB or palette) and frees its buffers in every case. The file
// is written beside the target under a temporary name and renamed over it only when complete.
bool WritePng(const std::string& path, ImageRecord& image, const DiagnosticsHook& hook = {});

// The PNG path for a bitmap path: its last three characters replaced by "png".
std::string PngPathFor(const std::string& bmpPath);

// Reads bmpPath and writes PngPathFor(bmpPath). A path shorter than 5 characters is read but
// nothing is written; the result is then that of the reading.
bool ConvertBmpToPng(const std::string& bmpPath, const DiagnosticsHook& hook = {});

} // namespace vellum
