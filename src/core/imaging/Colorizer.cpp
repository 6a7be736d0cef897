// The colorizer's tables, its pixel transform and the walk over the pixels of a packed DIB.
#include "imaging/Colorizer.h"

#include "common/ByteView.h"
#include "common/ErrorTrail.h"
#include "common/TrailModules.h"
#include "formats/DibShape.h"
#include "imaging/ColorizerSimd.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <vector>

namespace vellum {

namespace {

constexpr const char* kModule = trail::kColorizer;

// Cells beyond this many percent are treated as this many, so that three table entries of a row
// (each up to 255 times the cell) always add up inside 32 bits.
constexpr double kMaxScale = 2'000'000;

// Lanes of the packed tables: a row's largest sum (three entries and the 50 for rounding) must
// fit in 21 bits, which cells up to about 2700 percent do.
constexpr int kLaneBits = 21;
constexpr std::uint64_t kLaneMask = (std::uint64_t(1) << kLaneBits) - 1;

// The vector transform reads the three packed tables as one block.
static_assert(sizeof(std::array<std::array<std::uint64_t, 256>, 3>) == 3 * 256 * 8);

// Below this many pixels per thread, starting threads costs more than it saves.
constexpr std::size_t kPixelsPerThread = 1 << 16;

// From this many pixels on, a table of red and green pairs (512 KB) pays for its making.
constexpr std::size_t kPixelsForPairTable = 1 << 20;

// The vector transform multiplies channel differences (up to 255) by the saturation in float,
// exactly while the product stays below 2^24.
constexpr int kMaxVectorSaturation = 1 << 16;

// Transparent pixels of bitmaps without alpha: magenta, here in blue, green, red order.
constexpr std::uint8_t kKeyBlue = 255;
constexpr std::uint8_t kKeyGreen = 0;
constexpr std::uint8_t kKeyRed = 255;

bool IsKeyColour(const std::uint8_t* bgr) {
    return bgr[0] == kKeyBlue && bgr[1] == kKeyGreen && bgr[2] == kKeyRed;
}

std::uint8_t ClampToByte(std::int32_t value) {
    return static_cast<std::uint8_t>(std::clamp<std::int32_t>(value, 0, 255));
}

// One output channel: the three contributions, rounded to a whole pixel value. The division
// truncates toward zero, also for the negative sums that negative cells can give.
inline std::int32_t MixRow(const std::array<CurveTable, 3>& row, int red, int green, int blue) {
    return (row[0][red] + row[1][green] + row[2][blue] + 50) / 100;
}

// The three components of a hue in 0..1535, one row of the six-sector table.
std::array<int, 3> HueComponents(int h) {
    switch (h / 256) {
    case 0:
        return {255, h, 0};
    case 1:
        return {511 - h, 255, 0};
    case 2:
        return {0, 255, h - 512};
    case 3:
        return {0, 1023 - h, 255};
    case 4:
        return {h - 1024, 0, 255};
    default:
        return {255, 0, 1535 - h};
    }
}

} // namespace

CurveTable MakeCurveTable(double offset, double scale, bool linear) {
    if (!std::isfinite(scale))
        scale = 0;
    scale = std::clamp(scale, -kMaxScale, kMaxScale);
    CurveTable table{};
    for (int x = 0; x < 256; ++x) {
        double f = x + offset;
        if (!linear) {
            double t = (x - 127) * 0.0078125;
            f = x + offset * (1 - t * t);
        }
        f = std::clamp(f, 0.0, 255.0);
        table[x] = static_cast<std::int32_t>(f * scale + 0.5);
    }
    return table;
}

std::array<int, 3> HueWeights(int hue) {
    int h = ((hue % kHueSteps) + kHueSteps) % kHueSteps;
    std::array<int, 3> c = HueComponents(h);
    int sum = c[0] + c[1] + c[2]; // at least 255 in every sector
    std::array<int, 3> weights{};
    for (int i = 0; i < 3; ++i)
        weights[i] = (sum / 2 + 100 * c[i]) / sum;
    return weights;
}

MixMatrix HueMatrix(int hue) {
    auto [w0, w1, w2] = HueWeights(hue);
    return {{{double(w0), double(w1), double(w2)},
             {double(w2), double(w0), double(w1)},
             {double(w1), double(w2), double(w0)}}};
}

Colorizer::Colorizer() {
    ConfigureFromMatrix(kIdentityMix, Brightness{});
}

void Colorizer::ConfigureFromHue(int hue, const Brightness& brightness) {
    Configure(HueMatrix(hue), brightness);
}

void Colorizer::ConfigureFromMatrix(const MixMatrix& matrix, const Brightness& brightness) {
    Configure(matrix, brightness);
}

void Colorizer::Configure(const MixMatrix& matrix, const Brightness& brightness) {
    for (int out = 0; out < 3; ++out) {
        for (int in = 0; in < 3; ++in) {
            int channel = brightness.source ? in : out;
            tables_[out][in] =
                MakeCurveTable(brightness.offsets[channel], matrix[out][in], !brightness.gamma);
        }
    }
    PackTables();
}

void Colorizer::PackTables() {
    packedValid_ = true;
    for (int out = 0; out < 3; ++out) {
        std::int64_t rowMaximum = 50;
        for (int in = 0; in < 3; ++in) {
            const CurveTable& table = tables_[out][in];
            packedValid_ = packedValid_ && *std::min_element(table.begin(), table.end()) >= 0;
            rowMaximum += *std::max_element(table.begin(), table.end());
        }
        packedValid_ = packedValid_ && rowMaximum <= std::int64_t(kLaneMask);
    }
    if (!packedValid_)
        return;
    for (int in = 0; in < 3; ++in)
        for (int x = 0; x < 256; ++x)
            packed_[in][x] = std::uint64_t(tables_[0][in][x]) |
                             std::uint64_t(tables_[1][in][x]) << kLaneBits |
                             std::uint64_t(tables_[2][in][x]) << (2 * kLaneBits);
}

// The nine-table transform for sums that cannot be negative: no clamping below zero is needed
// before the saturation step, so both clamping rules agree, and every difference from the
// luminance lies inside the saturation table.
inline void Colorizer::TransformPacked(std::uint8_t* bgr) const {
    constexpr std::uint64_t kHalves = 50 | 50ull << kLaneBits | 50ull << (2 * kLaneBits);
    std::uint64_t sums = packed_[0][bgr[2]] + packed_[1][bgr[1]] + packed_[2][bgr[0]] + kHalves;
    std::uint32_t v[3] = {std::uint32_t(sums & kLaneMask) / 100,
                          std::uint32_t(sums >> kLaneBits & kLaneMask) / 100,
                          std::uint32_t(sums >> (2 * kLaneBits)) / 100};
    for (std::uint32_t& channel : v)
        channel = std::min<std::uint32_t>(channel, 255);
    if (saturationEnabled_) {
        std::int32_t luminance = std::int32_t(25 * v[0] + 55 * v[1] + 20 * v[2] + 50) / 100;
        for (std::uint32_t& channel : v) {
            std::int32_t moved =
                std::int32_t(channel) - saturationTable_[std::int32_t(channel) - luminance + 255];
            channel = std::uint32_t(std::clamp(moved, 0, 255));
        }
    }
    bgr[0] = std::uint8_t(v[2]);
    bgr[1] = std::uint8_t(v[1]);
    bgr[2] = std::uint8_t(v[0]);
}

MixMatrix Colorizer::MatrixFromTables() const {
    MixMatrix matrix{};
    for (int out = 0; out < 3; ++out)
        for (int in = 0; in < 3; ++in)
            matrix[out][in] = tables_[out][in][255] / 255;
    return matrix;
}

void Colorizer::SetSaturation(int saturation) {
    saturation_ = saturation;
    saturationEnabled_ = saturation != 0;
    if (!saturationEnabled_)
        return;
    double b = -saturation * 0.00390625;
    for (int i = 0; i <= 255; ++i) {
        saturationTable_[255 + i] = static_cast<std::int32_t>(i * b);
        saturationTable_[255 - i] = static_cast<std::int32_t>(-i * b);
    }
}

std::int32_t Colorizer::SaturationStep(std::int32_t difference) const {
    if (static_cast<std::uint32_t>(difference + 255) <= 510)
        return saturationTable_[difference + 255];
    // Channels far below zero (negative mix cells) reach past the table; i * b is exact in
    // binary, so truncating the integer quotient gives what a longer table would hold.
    return static_cast<std::int32_t>(-std::int64_t(difference) * saturation_ / 256);
}

void Colorizer::TransformBgr(std::uint8_t* bgr, bool clampBoth) const {
    if (packedValid_) {
        TransformPacked(bgr);
        return;
    }
    const int blue = bgr[0], green = bgr[1], red = bgr[2];
    std::int32_t v[3] = {MixRow(tables_[0], red, green, blue), MixRow(tables_[1], red, green, blue),
                         MixRow(tables_[2], red, green, blue)};
    if (saturationEnabled_) {
        for (std::int32_t& channel : v)
            channel = clampBoth ? std::clamp(channel, 0, 255) : std::min(channel, 255);
        std::int32_t luminance = (25 * v[0] + 55 * v[1] + 20 * v[2] + 50) / 100;
        for (std::int32_t& channel : v)
            channel -= SaturationStep(channel - luminance);
    }
    bgr[0] = ClampToByte(v[2]);
    bgr[1] = ClampToByte(v[1]);
    bgr[2] = ClampToByte(v[0]);
}

void Colorizer::ColorizeBgraPixels(std::uint8_t* pixels, std::size_t count, bool clampBoth) const {
    if (!packedValid_) {
        for (std::size_t i = 0; i < count; ++i)
            TransformBgr(pixels + 4 * i, clampBoth);
        return;
    }
    static const bool vector = HasVectorColorizer();
    SimdColorTables simd{packed_[0].data(), nullptr, saturationEnabled_ ? saturation_ : 0};
    if (!vector || std::abs(saturation_) > kMaxVectorSaturation) {
        ColorizePackedRange(pixels, count, nullptr);
        return;
    }
    std::vector<std::uint64_t> redGreen;
    if (count >= kPixelsForPairTable) {
        redGreen.resize(256 * 256);
        for (std::size_t red = 0; red < 256; ++red)
            for (std::size_t green = 0; green < 256; ++green)
                redGreen[256 * red + green] = packed_[0][red] + packed_[1][green];
        simd.redGreen = redGreen.data();
    }
    // Large images are split between the processor's cores; each part is independent.
    std::size_t parts =
        std::min<std::size_t>(std::thread::hardware_concurrency(), count / kPixelsPerThread);
    parts = std::max<std::size_t>(parts, 1);
    std::size_t share = (count / parts + 7) / 8 * 8;
    std::vector<std::thread> helpers;
    for (std::size_t part = 1; part < parts && share * part < count; ++part) {
        std::size_t first = share * part;
        helpers.emplace_back([this, &simd, pixels, first, share, count] {
            ColorizePackedRange(pixels + 4 * first, std::min(share, count - first), &simd);
        });
    }
    ColorizePackedRange(pixels, std::min(share, count), &simd);
    for (std::thread& helper : helpers)
        helper.join();
}

// The vector transform when `simd` is given, and the scalar one for what it leaves.
void Colorizer::ColorizePackedRange(std::uint8_t* pixels, std::size_t count,
                                    const SimdColorTables* simd) const {
    std::size_t done = simd ? ColorizeBgraVector(*simd, pixels, count) : 0;
    for (std::size_t i = done; i < count; ++i)
        TransformPacked(pixels + 4 * i);
}

// ---------------------------------------------------------------------------------------------
// Packed DIBs (formats/DibShape.h) with an info header or a later version of it: colour table
// entries of blue, green, red and 0, then the rows.

namespace {

constexpr std::uint32_t kGreenMask565 = 0x07E0;

struct DibLayout {
    unsigned bitCount = 0;
    std::size_t width = 0;
    std::size_t rows = 0;
    std::size_t stride = 0;
    std::size_t tableOffset = 0;
    std::size_t tableCount = 0;
    std::size_t pixelOffset = 0;
    bool rgb565 = false;
};

HRESULT Refuse(const char* why) {
    ReportError(kModule, __LINE__, E_FAIL, "Cannot colorize the bitmap: %s\n", why);
    return E_FAIL;
}

bool IsPaletteDepth(unsigned bitCount) {
    return bitCount == 1 || bitCount == 2 || bitCount == 4 || bitCount == 8;
}

bool IsDirectDepth(unsigned bitCount, std::uint32_t compression) {
    if (compression == kDibRgb)
        return bitCount == 16 || bitCount == 24 || bitCount == 32;
    return compression == kDibBitFields && (bitCount == 16 || bitCount == 32);
}

// Where the colour table and the rows lie, checked against the block.
HRESULT ReadLayout(ByteView dib, bool iconImage, DibLayout& layout) {
    DibHeader header = DibHeader::Read(dib);
    if (!dib.Has(0, kInfoHeaderSize) || header.size < kInfoHeaderSize || !dib.Has(0, header.size))
        return Refuse("the header is not a bitmap information header");
    layout.bitCount = header.bitCount;
    if (header.width < 0)
        return Refuse("the width is negative");
    bool palette = IsPaletteDepth(layout.bitCount);
    if (!palette && !IsDirectDepth(layout.bitCount, header.compression))
        return Refuse("the bit count or the compression is not supported");

    // An icon's header counts the XOR rows and the mask rows.
    std::int64_t height = header.height;
    std::int64_t rows = std::llabs(iconImage ? height / 2 : height);
    layout.width = std::size_t(header.width);
    layout.rows = std::size_t(rows);
    layout.tableOffset = std::size_t(header.ColourTableOffset());
    std::uint64_t tableBytes = header.ColourTableBytes();
    layout.tableCount = std::size_t(tableBytes / 4);
    if (!dib.Has(layout.tableOffset, tableBytes))
        return Refuse("the colour table runs past the end of the data");
    layout.rgb565 = header.compression == kDibBitFields && header.greenMask == kGreenMask565;
    if (palette)
        return S_OK;

    layout.pixelOffset = std::size_t(layout.tableOffset + tableBytes);
    layout.stride = std::size_t(DibRowBytes(layout.width, layout.bitCount));
    std::size_t available = dib.Size() - layout.pixelOffset;
    if (layout.rows != 0 && layout.stride > available / layout.rows)
        return Refuse("the pixel rows run past the end of the data");
    return S_OK;
}

// 16-bit pixels widen to 8 bits per channel by shifting, so 5-bit channels reach 248 at most.
struct Rgb16 {
    std::uint8_t bgr[3];
};

Rgb16 Widen(std::uint16_t pixel, bool rgb565) {
    if (rgb565)
        return {{std::uint8_t((pixel & 0x1F) << 3), std::uint8_t(((pixel >> 5) & 0x3F) << 2),
                 std::uint8_t((pixel >> 11) << 3)}};
    return {{std::uint8_t((pixel & 0x1F) << 3), std::uint8_t(((pixel >> 5) & 0x1F) << 3),
             std::uint8_t(((pixel >> 10) & 0x1F) << 3)}};
}

// The top bit of a 5-5-5 pixel is not a colour; it is kept as it was.
std::uint16_t Narrow(const Rgb16& c, bool rgb565, std::uint16_t original) {
    if (rgb565)
        return std::uint16_t((c.bgr[2] >> 3) << 11 | (c.bgr[1] >> 2) << 5 | c.bgr[0] >> 3);
    return std::uint16_t((original & 0x8000) | (c.bgr[2] >> 3) << 10 | (c.bgr[1] >> 3) << 5 |
                         c.bgr[0] >> 3);
}

} // namespace

HRESULT Colorizer::ColorizeDib(std::uint8_t* dib, std::size_t size) const {
    return ColorizeImage(dib, size, false);
}

HRESULT Colorizer::ColorizeIconImage(std::uint8_t* dib, std::size_t size) const {
    return ColorizeImage(dib, size, true);
}

HRESULT Colorizer::ColorizeImage(std::uint8_t* dib, std::size_t size, bool iconImage) const {
    DibLayout layout;
    if (HRESULT hr = ReadLayout(ByteView(dib, size), iconImage, layout); FAILED(hr))
        return hr;
    std::uint8_t* pixels = dib + layout.pixelOffset;
    switch (layout.bitCount) {
    case 32:
        ColorizeBgraPixels(pixels, layout.width * layout.rows, false);
        break;
    case 24:
        ColorizeRows(pixels, layout.stride, layout.rows, 3, layout.width);
        break;
    case 16:
        Colorize16(pixels, layout.stride, layout.rows, layout.width, layout.rgb565);
        break;
    default:
        ColorizeColourTable(dib + layout.tableOffset, layout.tableCount);
        break;
    }
    return S_OK;
}

void Colorizer::ColorizeRows(std::uint8_t* pixels, std::size_t stride, std::size_t rows,
                             int bytesPerPixel, std::size_t width) const {
    for (std::size_t y = 0; y < rows; ++y) {
        std::uint8_t* row = pixels + y * stride;
        for (std::size_t x = 0; x < width; ++x) {
            std::uint8_t* bgr = row + x * bytesPerPixel;
            if (!IsKeyColour(bgr))
                TransformBgr(bgr);
        }
    }
}

void Colorizer::Colorize16(std::uint8_t* pixels, std::size_t stride, std::size_t rows,
                           std::size_t width, bool rgb565) const {
    // Magenta does not survive the widening (its channels become 248), so the key is compared
    // in the same widened form.
    const std::uint16_t packedKey = rgb565 ? 0xF81F : 0x7C1F;
    const Rgb16 key = Widen(packedKey, rgb565);
    for (std::size_t y = 0; y < rows; ++y) {
        std::uint8_t* row = pixels + y * stride;
        for (std::size_t x = 0; x < width; ++x) {
            std::uint8_t* p = row + 2 * x;
            auto pixel = std::uint16_t(p[0] | p[1] << 8);
            Rgb16 colour = Widen(pixel, rgb565);
            if (std::equal(colour.bgr, colour.bgr + 3, key.bgr))
                continue;
            TransformBgr(colour.bgr);
            std::uint16_t packed = Narrow(colour, rgb565, pixel);
            p[0] = std::uint8_t(packed);
            p[1] = std::uint8_t(packed >> 8);
        }
    }
}

void Colorizer::ColorizeColourTable(std::uint8_t* table, std::size_t count) const {
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t* entry = table + 4 * i;
        if (!IsKeyColour(entry))
            TransformBgr(entry);
    }
}

} // namespace vellum
