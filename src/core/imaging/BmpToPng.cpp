// Reads Windows bitmap files into an ImageRecord and writes ImageRecords as PNG through libpng.
#include "imaging/BmpToPng.h"

#include "common/Path.h"
#include "common/ResourceDataFile.h"
#include "common/Strings.h"
#include "formats/ResourceFiles.h"
#include "imaging/PngStructs.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <new>
#include <png.h>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace vellum {

namespace {

constexpr const char* kNoSuchFile = "No such file or directory";
constexpr const char* kReadFailed = "Read operation failed";
constexpr const char* kPrematureEnd = "Premature end of BMP file";
constexpr const char* kNotBmp = "Not a BMP file";
constexpr const char* kBadHeaderSize = "Invalid header size in BMP file";
constexpr const char* kWidthBelowOne = "Invalid image size (width is less than one)";
constexpr const char* kHeightBelowOne = "Invalid image size (height is less than one)";
constexpr const char* kCompressed = "Compressed or bitfield BMP";
constexpr const char* kSixteenBits = "16 or 32 bits/pixel BMP"; // 32 bits are accepted all the same
constexpr const char* kBadBitDepth = "Invalid bit depth in BMP file";
constexpr const char* kOutOfMemory = "Out of memory";
constexpr const char* kCannotCreate = "Cannot create";
constexpr const char* kInvalidImage = "Invalid image record";

void Emit(const DiagnosticsHook& hook, const std::string& line) {
    if (hook)
        hook(line);
}

// Always false, so that failure paths can end in `return Skipped(...)`.
bool Skipped(const DiagnosticsHook& hook, const char* reason, const std::string& path) {
    Emit(hook, Format("SKIPPED: %s - %s\n", reason, path.c_str()));
    return false;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The file header (formats/ResourceFiles.h) and the size field of the info header
// (formats/DibShape.h) that follows it: what tells how much more of the header to read.
constexpr std::size_t kLeadSize = BitmapFileHeader::kSize + 4;
// A MacBinary wrapper puts 128 bytes in front of the bitmap; the lead has been read already.
constexpr long kMacBinarySkip = 128 - long(kLeadSize);
constexpr std::size_t kMaxInfoSize = kV5HeaderSize;

bool IsBitmapLead(const std::uint8_t* lead) {
    return BitmapFileHeader::Read(ByteView(lead, kLeadSize)).IsBitmap();
}

struct BmpLayout {
    std::uint32_t infoSize = 0;
    std::uint64_t paletteBytes = 0; // between the info header and the pixel data
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t xPixelsPerMetre = 0;
    std::uint32_t yPixelsPerMetre = 0;
    bool topDown = false;
    std::size_t entrySize = 4;
    std::size_t paletteCount = 0;
};

bool IsPaletteDepth(unsigned bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8;
}

class BmpReader {
public:
    BmpReader(const std::string& path, const DiagnosticsHook& hook) : path_(path), hook_(hook) {}
    bool Read(ImageRecord& image);

private:
    bool Open();
    bool ReadExact(void* buffer, std::size_t size);
    bool Skip(std::uint64_t bytes);
    bool ReadLead(std::uint8_t* lead);
    bool ReadLayout(BmpLayout& layout);
    bool ReadInfoFields(BmpLayout& layout);
    bool CheckLayout(const BmpLayout& layout);
    bool FitsInFile(const BmpLayout& layout, std::uint64_t blockSize) const;
    bool ReadPalette(ImageRecord& image, const BmpLayout& layout);
    bool Fail(const char* reason) { return Skipped(hook_, reason, path_); }

    const std::string& path_;
    const DiagnosticsHook& hook_;
    FilePtr file_;
    std::uint64_t fileSize_ = 0;
    std::uint64_t position_ = 0; // bytes consumed so far, skips included
};

bool BmpReader::ReadExact(void* buffer, std::size_t size) {
    std::size_t got = std::fread(buffer, 1, size, file_.get());
    position_ += got;
    if (got == size)
        return true;
    return Fail(std::ferror(file_.get()) ? kReadFailed : kPrematureEnd);
}

bool BmpReader::Skip(std::uint64_t bytes) {
    // fseek takes a long, which is 32 bits wide on some platforms.
    constexpr std::uint64_t kStep = 1u << 30;
    for (std::uint64_t left = bytes; left != 0;) {
        std::uint64_t step = std::min(left, kStep);
        if (std::fseek(file_.get(), long(step), SEEK_CUR) != 0)
            return Fail(kReadFailed);
        left -= step;
    }
    position_ += bytes;
    return true;
}

bool BmpReader::Open() {
    file_.reset(std::fopen(path_.c_str(), "rb"));
    if (!file_)
        return Fail(kNoSuchFile);
    // The size bounds what the header may claim. When it cannot be learnt, nothing fits.
    std::error_code error;
    fileSize_ = std::filesystem::file_size(path_, error);
    if (error)
        fileSize_ = 0;
    return true;
}

bool BmpReader::ReadLead(std::uint8_t* lead) {
    if (!ReadExact(lead, kLeadSize))
        return false;
    if (IsBitmapLead(lead))
        return true;
    if (!Skip(kMacBinarySkip) || !ReadExact(lead, kLeadSize))
        return false;
    return IsBitmapLead(lead) || Fail(kNotBmp);
}

bool BmpReader::ReadLayout(BmpLayout& layout) {
    std::uint8_t lead[kLeadSize];
    if (!ReadLead(lead))
        return false;
    ByteView leadBytes(lead, kLeadSize);
    std::uint32_t pixelOffset = BitmapFileHeader::Read(leadBytes).pixelOffset;
    layout.infoSize = DibHeader::Read(leadBytes.From(BitmapFileHeader::kSize)).size;
    if (layout.infoSize < kCoreHeaderSize || layout.infoSize > kMaxInfoSize ||
        pixelOffset < layout.infoSize + BitmapFileHeader::kSize)
        return Fail(kBadHeaderSize);
    layout.paletteBytes = pixelOffset - layout.infoSize - BitmapFileHeader::kSize;
    return ReadInfoFields(layout);
}

bool BmpReader::ReadInfoFields(BmpLayout& layout) {
    // The size field has been read with the lead; the rest of the header follows it.
    std::uint8_t info[kMaxInfoSize] = {};
    for (std::size_t i = 0; i < 4; ++i)
        info[i] = std::uint8_t(layout.infoSize >> (8 * i));
    if (!ReadExact(info + 4, layout.infoSize - 4))
        return false;
    DibHeader header = DibHeader::Read(ByteView(info, layout.infoSize));
    layout.width = header.width;
    layout.height = header.height;
    layout.bitCount = header.bitCount;
    layout.compression = header.compression;
    layout.xPixelsPerMetre = std::uint32_t(header.xPixelsPerMetre);
    layout.yPixelsPerMetre = std::uint32_t(header.yPixelsPerMetre);
    if (header.IsCore()) {
        layout.entrySize = 3;
        return true;
    }
    if (layout.height < 0) {
        layout.topDown = true;
        layout.height = -layout.height;
    }
    return true;
}

bool BmpReader::CheckLayout(const BmpLayout& layout) {
    if (layout.width < 1)
        return Fail(kWidthBelowOne);
    // A height of -2^31 has no positive counterpart in the 32-bit field; it counts as negative.
    if (layout.height < 1 || layout.height > std::numeric_limits<std::int32_t>::max())
        return Fail(kHeightBelowOne);
    if (layout.compression != 0)
        return Fail(kCompressed);
    if (layout.bitCount == 16)
        return Fail(kSixteenBits);
    if (!IsPaletteDepth(layout.bitCount) && layout.bitCount != 24 && layout.bitCount != 32)
        return Fail(kBadBitDepth);
    return true;
}

// The palette and the pixel block must both lie inside the file. Checking this before any
// allocation keeps a header that claims a huge picture from reserving memory for it.
bool BmpReader::FitsInFile(const BmpLayout& layout, std::uint64_t blockSize) const {
    std::uint64_t left = fileSize_ > position_ ? fileSize_ - position_ : 0;
    return layout.paletteBytes <= left && blockSize <= left - layout.paletteBytes;
}

bool BmpReader::ReadPalette(ImageRecord& image, const BmpLayout& layout) {
    std::uint8_t entry[4];
    for (ImageRecord::Rgb& rgb : image.palette) {
        if (!ReadExact(entry, layout.entrySize))
            return false;
        rgb = {entry[2], entry[1], entry[0]};
    }
    // Whatever follows the entries (a partial entry, entries beyond what the bit count can
    // address, or a whole colour table in front of true-colour pixels) is not palette.
    return Skip(layout.paletteBytes - layout.paletteCount * layout.entrySize);
}

bool BmpReader::Read(ImageRecord& image) {
    image.Free();
    Emit(hook_, "Reading " + path_);
    BmpLayout layout;
    if (!Open() || !ReadLayout(layout) || !CheckLayout(layout))
        return false;
    // True-colour bitmaps have no palette; a palette image uses at most 2^bit count entries.
    if (IsPaletteDepth(layout.bitCount))
        layout.paletteCount =
            std::min<std::uint64_t>(layout.paletteBytes / layout.entrySize, 1u << layout.bitCount);

    auto blockSize = ImageRecord::BlockSizeFor(std::int32_t(layout.width),
                                               std::int32_t(layout.height), layout.bitCount);
    if (!blockSize || !FitsInFile(layout, *blockSize))
        return Fail(kPrematureEnd);
    if (!image.Allocate(std::int32_t(layout.width), std::int32_t(layout.height), layout.bitCount,
                        layout.paletteCount, layout.topDown))
        return Fail(kOutOfMemory);
    if (!ReadPalette(image, layout) || !ReadExact(image.pixels.Data(), image.pixels.Size())) {
        image.Free();
        return false;
    }
    image.xPixelsPerMetre = layout.xPixelsPerMetre;
    image.yPixelsPerMetre = layout.yPixelsPerMetre;
    Emit(hook_, "Read OK " + path_);
    return true;
}

// A file created beside its target under a name of its own, renamed over the target only once it
// is complete. Until then, and if anything fails, the target is untouched and the file removed.
class PendingFile {
public:
    explicit PendingFile(const std::string& target);
    ~PendingFile() { Discard(); }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    std::FILE* Stream() const { return file_; }
    bool Commit();

private:
    void Discard();

    const std::string& target_;
    std::string temp_;
    std::FILE* file_ = nullptr;
};

PendingFile::PendingFile(const std::string& target) : target_(target) {
    static std::atomic<unsigned> counter{0};
    std::string folder = target.substr(0, target.size() - FileNameOf(target).size());
    for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
        temp_ = Format("%s.vellum-%ld-%u.tmp", folder.c_str(), long(getpid()), counter++);
        file_ = std::fopen(temp_.c_str(), "wbx"); // x: never reuse a file that exists
        if (!file_ && errno != EEXIST)
            break;
    }
    if (!file_)
        temp_.clear();
}

void PendingFile::Discard() {
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
    if (!temp_.empty())
        std::remove(temp_.c_str());
    temp_.clear();
}

bool PendingFile::Commit() {
    bool written = std::fflush(file_) == 0 && !std::ferror(file_);
    written = std::fclose(file_) == 0 && written;
    file_ = nullptr;
    std::error_code error;
    if (written)
        std::filesystem::rename(temp_, target_, error);
    if (!written || error) {
        Discard();
        return false;
    }
    temp_.clear();
    return true;
}

// The palette index of pixel x in a row of 1, 4 or 8 bits per pixel; as in PNG, the leftmost
// pixel sits in the most significant bits of its byte.
unsigned PaletteIndexAt(const std::uint8_t* row, std::size_t x, unsigned bitCount) {
    std::size_t bit = x * bitCount;
    unsigned shift = 8 - bitCount - unsigned(bit % 8);
    return (row[bit / 8] >> shift) & ((1u << bitCount) - 1);
}

unsigned HighestPaletteIndex(const ImageRecord& image) {
    unsigned highest = 0;
    for (const std::uint8_t* row : image.rows)
        for (std::size_t x = 0; x < std::size_t(image.width); ++x)
            highest = std::max(highest, PaletteIndexAt(row, x, image.bitCount));
    return highest;
}

// A bitmap may use palette indices beyond its colour table (or have none at all), which a PNG
// cannot: libpng refuses an empty PLTE and readers reject indices past its end. Such indices get
// black entries, appended up to the highest index in use.
std::vector<png_color> PngPalette(const ImageRecord& image) {
    std::size_t count = image.palette.size();
    if (count < (std::size_t(1) << image.bitCount))
        count = std::max<std::size_t>(count, HighestPaletteIndex(image) + 1);
    std::vector<png_color> palette(count, png_color{0, 0, 0});
    for (std::size_t i = 0; i < image.palette.size(); ++i)
        palette[i] = {image.palette[i][0], image.palette[i][1], image.palette[i][2]};
    return palette;
}

int PngColourType(unsigned bitCount) {
    if (bitCount == 32)
        return PNG_COLOR_TYPE_RGB_ALPHA;
    return bitCount == 24 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_PALETTE;
}

// libpng reports errors by a longjmp back to the setjmp here, so nothing in this frame may have
// a destructor. True-colour rows go in as stored (blue first); libpng swaps them to red first.
bool EncodePng(png_structp png, png_infop info, ImageRecord& image,
               const std::vector<png_color>& palette, std::FILE* out) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, out);
    png_set_compression_level(png, 6);
    if (image.bitCount >= 24)
        png_set_compression_mem_level(png, 9);
    png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height),
                 image.bitCount >= 24 ? 8 : image.bitCount, PngColourType(image.bitCount),
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (image.bitCount < 24)
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
    if (image.xPixelsPerMetre || image.yPixelsPerMetre)
        png_set_pHYs(png, info, image.xPixelsPerMetre, image.yPixelsPerMetre, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    if (image.bitCount >= 24)
        png_set_bgr(png);
    png_write_rows(png, image.rows.data(), png_uint_32(image.rows.size()));
    png_write_end(png, info);
    return true;
}

bool WriteImage(const std::string& path, ImageRecord& image, const DiagnosticsHook& hook) {
    if (!image.IsConsistent())
        return Skipped(hook, kInvalidImage, path);
    std::vector<png_color> palette;
    if (image.bitCount < 24)
        palette = PngPalette(image);
    PendingFile output(path);
    if (!output.Stream())
        return Skipped(hook, kCannotCreate, path);
    PngFailure failure;
    PngWriteStructs structs(&failure);
    if (!structs.Created())
        return Skipped(hook, kOutOfMemory, path);
    if (!EncodePng(structs.Png(), structs.Info(), image, palette, output.Stream())) {
        Emit(hook, Format("SKIPPED: PNG error (%s) - %s\n", failure.message, path.c_str()));
        return false;
    }
    if (!output.Commit())
        return Skipped(hook, kCannotCreate, path);
    Emit(hook, "OK      " + path);
    return true;
}

} // namespace

std::uint64_t ImageRecord::StrideFor(std::int32_t width, unsigned bitCount) {
    if (width < 1)
        return 0;
    return DibRowBytes(std::uint64_t(width), bitCount);
}

std::optional<std::size_t> ImageRecord::BlockSizeFor(std::int32_t width, std::int32_t height,
                                                     unsigned bitCount) {
    if (height < 1 || bitCount > 32)
        return std::nullopt;
    std::uint64_t size = 0;
    if (__builtin_mul_overflow(StrideFor(width, bitCount), std::uint64_t(height), &size) ||
        size > std::uint64_t(std::numeric_limits<std::ptrdiff_t>::max()))
        return std::nullopt;
    return std::size_t(size);
}

bool ImageRecord::Allocate(std::int32_t newWidth, std::int32_t newHeight, std::uint16_t newBitCount,
                           std::size_t paletteCount, bool newTopDown) {
    Free();
    auto blockSize = BlockSizeFor(newWidth, newHeight, newBitCount);
    if (!blockSize || !pixels.Resize(*blockSize))
        return false;
    try {
        palette.assign(paletteCount, Rgb{});
        rows.resize(std::size_t(newHeight));
    } catch (const std::bad_alloc&) {
        Free();
        return false;
    }
    width = newWidth;
    height = newHeight;
    bitCount = newBitCount;
    topDown = newTopDown;
    stride = std::size_t(StrideFor(newWidth, newBitCount));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::uint8_t* stored = pixels.Data() + i * stride;
        std::memset(stored + stride - 4, 0, 4); // row padding
        rows[topDown ? i : rows.size() - 1 - i] = stored;
    }
    return true;
}

bool ImageRecord::IsConsistent() const {
    bool depthOk = IsPaletteDepth(bitCount) || bitCount == 24 || bitCount == 32;
    if (!depthOk || width < 1 || height < 1)
        return false;
    auto blockSize = BlockSizeFor(width, height, bitCount);
    return blockSize && stride == StrideFor(width, bitCount) && pixels.Size() >= *blockSize &&
           rows.size() == std::size_t(height) &&
           palette.size() <= (std::size_t(1) << std::min<unsigned>(bitCount, 8));
}

void ImageRecord::Free() {
    palette = {};
    rows = {};
    pixels.Clear();
    width = height = 0;
    bitCount = 0;
    stride = 0;
    topDown = false;
}

void OnPngError(png_structp png, png_const_charp message) {
    auto* failure = static_cast<PngFailure*>(png_get_error_ptr(png));
    std::snprintf(failure->message, sizeof failure->message, "%s", message);
    png_longjmp(png, 1);
}

void IgnorePngWarning(png_structp, png_const_charp) {}

bool ReadBmp(const std::string& path, ImageRecord& image, const DiagnosticsHook& hook) {
    return BmpReader(path, hook).Read(image);
}

bool WritePng(const std::string& path, ImageRecord& image, const DiagnosticsHook& hook) {
    Emit(hook, "Writing " + path);
    bool written = WriteImage(path, image, hook);
    image.Free();
    return written;
}

std::string PngPathFor(const std::string& bmpPath) {
    return PngNameFor(bmpPath);
}

bool ConvertBmpToPng(const std::string& bmpPath, const DiagnosticsHook& hook) {
    ImageRecord image;
    if (!ReadBmp(bmpPath, image, hook))
        return false;
    // Too short for a name and an extension to replace: the bitmap is only checked.
    if (bmpPath.size() < 5)
        return true;
    return WritePng(PngPathFor(bmpPath), image, hook);
}

} // namespace vellum
