// Conversions between PNG files, bitmap files, packed DIBs and one-image icon files.
#pragma once

#include "common/ByteBuffer.h"
#include "common/ByteView.h"
#include "imaging/BmpToPng.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vellum {

class Prompter;

// Decodes a PNG into a bottom-up record. Palette and grey images keep their depth (2 bits widen
// to 4, 16 to 8) with the file's palette or a grey ramp; RGB gives 24 bits; an alpha channel or
// a transparency chunk gives 32-bit blue, green, red, alpha. Interlaced files are read too.
// False, with the record freed, for anything damaged, truncated or larger than 512 MiB of pixels.
bool ReadPng(const std::string& path, ImageRecord& record);
bool ReadPngBytes(ByteView png, ImageRecord& record);

// A complete bitmap file for the record: 54-byte header, colour table, rows bottom row first.
// Empty when the record is not a consistent image.
std::vector<std::uint8_t> BmpFileBytes(const ImageRecord& record);

// Writes BmpFileBytes(record) through a temporary file, so that a failure leaves an existing file
// as it was. The record is freed in every case.
bool WriteBmp(const std::string& path, ImageRecord& record);

// Decodes the PNG beside `path` (its last three characters replaced by "png" when the path is
// longer than 4 characters) into a packed DIB: info header, colour table, bottom-up rows.
// Empty on failure.
ByteBuffer PngToDib(const std::string& path);

// The PNG as a complete bitmap file image, or nothing when it cannot be decoded.
std::optional<std::vector<std::uint8_t>> PngToBmpBytes(ByteView png);

// Reads the PNG beside bmpPath (as PngToDib finds it) and writes it as a bitmap file at bmpPath.
bool PngToBmp(const std::string& bmpPath);

// Writes the bitmap file at bmpPath as the PNG beside it (PngPathFor), but keeps that PNG only
// when it gives back the very same bitmap file (PngToBmpBytes), so that a project that stores the
// bitmap as PNG compiles it to its original bytes. A bitmap the PNG cannot reproduce (another
// header version, a gap before the pixels, bytes after them, colours-important set, ...) gets no
// PNG; the result is then false, as for a bitmap that cannot be read.
bool ConvertBmpToPngExactly(const std::string& bmpPath, const DiagnosticsHook& hook = {});

// Writes a one-image icon file from a bitmap file image (file header included): at most 256
// pixels each way, uncompressed, 1, 4, 8, 24 or 32 bits. Without alpha, a colour shared by the
// four corners is made transparent. A compressed bitmap is reported through the prompter.
bool BitmapToIcon(ByteView dibWithFileHeader, const std::string& iconPath, Prompter& prompter);

} // namespace vellum
