// The colorizer engine: recolours pixels by hue, a 3 by 3 channel mix, per-channel brightness and
// saturation, using integer tables built from a few floating-point curves.
//
// Every output channel is a sum of three table look-ups, one per input channel, where entry x of
// table T[out][in] is the contribution of input value x times 100:
//   R' = (T[r][r](R) + T[r][g](G) + T[r][b](B) + 50) / 100     (and likewise G', B')
// then, with saturation on, each channel v moves away from or towards the luminance
//   L = (25 R' + 55 G' + 20 B' + 50) / 100,   v'' = v' - S[v' - L]
// and is clamped to 0..255. The constants are part of the file format in effect: a project
// recoloured twice with the same settings must come out byte for byte the same.
#pragma once

#include "common/Result.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace vellum {

struct SimdColorTables;

// Channel mix in percent: rows are the output channels red, green, blue, columns the input
// channels red, green, blue.
using MixMatrix = std::array<std::array<double, 3>, 3>;
inline constexpr MixMatrix kIdentityMix = {{{100, 0, 0}, {0, 100, 0}, {0, 0, 100}}};

// Steps of the colour wheel: six sectors of 256.
inline constexpr int kHueSteps = 1536;

// Brightness offsets in pixel units (red, green, blue) and where and how they act.
struct Brightness {
    std::array<int, 3> offsets{};
    // On: each input channel is brightened before the mix; off: each output channel after it.
    bool source = true;
    // On: the offset acts fully at mid-tone 127 and fades towards 0 and 255; off: linear.
    bool gamma = true;
};

// One curve table: entry x is the contribution of input value x, times 100.
using CurveTable = std::array<std::int32_t, 256>;

// x + offset (linear, or faded by 1 - ((x - 127) / 128)^2), clamped to 0..255, times the scale
// in percent, rounded half up and truncated toward zero.
CurveTable MakeCurveTable(double offset, double scale, bool linear);

// The three weights (percent) of hue h for the own channel, the next and the one after; h is
// taken modulo the wheel. Hue 0 gives 100, 0, 0; hue 256 (yellow) 50, 50, 0.
std::array<int, 3> HueWeights(int hue);

// The circulant matrix of the hue weights: red row (w0, w1, w2), green (w2, w0, w1), blue
// (w1, w2, w0). Hue 512 takes red from green, green from blue and blue from red.
MixMatrix HueMatrix(int hue);

// The recolouring tables and the pixel transform. Configure first (the default is the identity
// without saturation), then colorize pixels, DIBs and files.
class Colorizer {
public:
    Colorizer();

    void ConfigureFromHue(int hue, const Brightness& brightness);
    void ConfigureFromMatrix(const MixMatrix& matrix, const Brightness& brightness);
    // The matrix the tables hold, as whole percentages: T[r][c](255) / 255.
    MixMatrix MatrixFromTables() const;
    const CurveTable& Table(int out, int in) const { return tables_[out][in]; }

    // Saturation -255..255 (other values work the same way); 0 turns the step off.
    void SetSaturation(int saturation);
    bool SaturationEnabled() const { return saturationEnabled_; }
    // S[d]: how much a channel d above the luminance is moved down: trunc(-d * s / 256).
    std::int32_t SaturationStep(std::int32_t difference) const;

    // Transforms one pixel held as blue, green, red. `clampBoth` clamps the mixed channels into
    // 0..255 before the saturation step (the rule for PNG files); otherwise only values above
    // 255 are clamped there.
    void TransformBgr(std::uint8_t* bgr, bool clampBoth = false) const;

    // A packed DIB in memory (info header, optional bit-field masks, colour table, rows):
    // 32 bits every pixel; 24 and 16 bits every pixel but the key colour; 1 to 8 bits the colour
    // table but key-colour entries. E_FAIL (with a record in the error trail) and nothing
    // changed when the header is not one the colorizer knows or the data is cut short.
    HRESULT ColorizeDib(std::uint8_t* dib, std::size_t size) const;
    // The same for the XOR image of an icon or cursor, whose header counts the mask rows too.
    HRESULT ColorizeIconImage(std::uint8_t* dib, std::size_t size) const;

    // Pixels of a 32-bit blue, green, red, alpha block, PNG rule; alpha is kept.
    void ColorizeBgraPixels(std::uint8_t* pixels, std::size_t count, bool clampBoth) const;

private:
    HRESULT ColorizeImage(std::uint8_t* dib, std::size_t size, bool iconImage) const;
    void ColorizeRows(std::uint8_t* pixels, std::size_t stride, std::size_t rows, int bytesPerPixel,
                      std::size_t width) const;
    void Colorize16(std::uint8_t* pixels, std::size_t stride, std::size_t rows, std::size_t width,
                    bool rgb565) const;
    void ColorizeColourTable(std::uint8_t* table, std::size_t count) const;
    void Configure(const MixMatrix& matrix, const Brightness& brightness);
    void PackTables();
    void TransformPacked(std::uint8_t* bgr) const;
    void ColorizePackedRange(std::uint8_t* pixels, std::size_t count,
                             const SimdColorTables* simd) const;

    std::array<std::array<CurveTable, 3>, 3> tables_{};
    // The three output contributions of each input value in one word, 21 bits each, so that a
    // pixel takes three look-ups and two additions. Only used when no entry is negative and no
    // row can overflow its lane; the results are the same as from the nine tables.
    std::array<std::array<std::uint64_t, 256>, 3> packed_{};
    bool packedValid_ = false;
    std::array<std::int32_t, 511> saturationTable_{}; // S[d] at index d + 255
    int saturation_ = 0;
    bool saturationEnabled_ = false;
};

// Recolours a file in place, chosen by the last three characters of its path (any case):
// "png" (must decode to 32 bits, written back as PNG), "bmp", "ico", "cur" (first image only).
// Other files are left alone and give S_OK. The file is replaced only when the whole result is
// ready.
HRESULT ColorizeFile(const Colorizer& colorizer, const std::string& path);

// True for the paths ColorizeFile changes: those ending in "png", "bmp", "ico" or "cur".
bool IsColorizableFile(const std::string& path);

// Told about every file of a folder right after it was colorized (or skipped, with S_OK) and
// before the next one starts, so that the records a failure added to the error trail can be
// taken file by file.
using ColorizedFileSink = std::function<void(const std::string& path, HRESULT result)>;

// Every file directly inside the folder (not its sub-folders, not symbolic links), in name order.
// A file that fails does not stop the others; the result is the first failure, or the system
// error when the folder cannot be listed.
HRESULT ColorizeFolder(const Colorizer& colorizer, const std::string& folder,
                       const ColorizedFileSink& sink = {});

} // namespace vellum
