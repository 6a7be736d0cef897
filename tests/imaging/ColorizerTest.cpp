// Tests of the colorizer engine: tables, hue weights, the pixel transform, DIB formats and the
// presets, against values worked out by hand from the curve and mix formulas.
#include "imaging/Colorizer.h"

#include "common/ErrorTrail.h"
#include "imaging/ColorizerSettings.h"
#include "support/ByteBuilder.h"

#include <gtest/gtest.h>
#include <vector>

using namespace vellum;
using vellum::test::Bytes;
using vellum::test::operator+;

namespace {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

Rgb Transform(const Colorizer& colorizer, Rgb in, bool clampBoth = false) {
    std::uint8_t bgr[3] = {std::uint8_t(in.b), std::uint8_t(in.g), std::uint8_t(in.r)};
    colorizer.TransformBgr(bgr, clampBoth);
    return {bgr[2], bgr[1], bgr[0]};
}

Brightness Offsets(int red, int green, int blue, bool source, bool gamma) {
    return Brightness{{red, green, blue}, source, gamma};
}

// A 40-byte BITMAPINFOHEADER.
Bytes InfoHeader(std::int32_t width, std::int32_t height, int bitCount,
                 std::uint32_t compression = 0, std::uint32_t coloursUsed = 0) {
    return test::DibHeaderBytes({.width = width,
                                 .height = height,
                                 .bitCount = std::uint16_t(bitCount),
                                 .compression = compression,
                                 .coloursUsed = coloursUsed});
}

Colorizer HueColorizer(int hue) {
    Colorizer colorizer;
    colorizer.ConfigureFromHue(hue, Brightness{});
    return colorizer;
}

} // namespace

TEST(ColorizerTables, CurveTableFadesTheOffsetAwayFromMidTone) {
    // t = (x - 127) / 128; at x = 0: 1 - t^2 = 0.01556396484375, so f = 50 * that = 0.778...
    CurveTable gamma = MakeCurveTable(50, 100, false);
    EXPECT_EQ(gamma[127], 17700);
    EXPECT_EQ(gamma[255], 25500);
    EXPECT_EQ(gamma[0], 78);
    CurveTable linear = MakeCurveTable(50, 100, true);
    EXPECT_EQ(linear[0], 5000);
    EXPECT_EQ(linear[127], 17700);
    EXPECT_EQ(linear[230], 25500); // 280 clamps to 255
    CurveTable darker = MakeCurveTable(-50, 100, true);
    EXPECT_EQ(darker[20], 0);
    EXPECT_EQ(darker[255], 20500);
}

TEST(ColorizerTables, NegativeScalesTruncateTowardZero) {
    CurveTable table = MakeCurveTable(0, -10, true);
    EXPECT_EQ(table[0], 0);       // 0.5 -> 0
    EXPECT_EQ(table[1], -9);      // -9.5 -> -9, not -10
    EXPECT_EQ(table[255], -2549); // -2549.5
}

TEST(ColorizerTables, HueWeightsFollowTheSixSectors) {
    EXPECT_EQ(HueWeights(0), (std::array<int, 3>{100, 0, 0}));
    EXPECT_EQ(HueWeights(256), (std::array<int, 3>{50, 50, 0}));
    // c = 255, 128, 0; sum 383: (191 + 25500) / 383 = 67, (191 + 12800) / 383 = 33.
    EXPECT_EQ(HueWeights(128), (std::array<int, 3>{67, 33, 0}));
    EXPECT_EQ(HueWeights(512), (std::array<int, 3>{0, 100, 0}));
    // Negative hues wrap: -256 is 1280 (c = 255, 0, 255), -1 is 1535, 1536 is 0.
    EXPECT_EQ(HueWeights(-256), (std::array<int, 3>{50, 0, 50}));
    EXPECT_EQ(HueWeights(-1), (std::array<int, 3>{100, 0, 0}));
    EXPECT_EQ(HueWeights(1536), (std::array<int, 3>{100, 0, 0}));
    MixMatrix rotate = HueMatrix(512);
    EXPECT_EQ(rotate, (MixMatrix{{{0, 100, 0}, {0, 0, 100}, {100, 0, 0}}}));
}

TEST(ColorizerTables, MatrixIsReadBackFromTheTables) {
    Colorizer colorizer = HueColorizer(256);
    EXPECT_EQ(colorizer.MatrixFromTables(), (MixMatrix{{{50, 50, 0}, {0, 50, 50}, {50, 0, 50}}}));
    // A darkened red row ends at 245 * 100 = 24500, read back as 24500 / 255 = 96.
    colorizer.ConfigureFromHue(0, Offsets(-10, 0, 0, false, false));
    EXPECT_EQ(colorizer.MatrixFromTables(), (MixMatrix{{{96, 0, 0}, {0, 100, 0}, {0, 0, 100}}}));
}

TEST(ColorizerPixels, IdentityLeavesEveryValue) {
    Colorizer colorizer;
    for (int x = 0; x < 256; ++x) {
        Rgb in{x, 255 - x, (x * 7) % 256};
        EXPECT_EQ(Transform(colorizer, in), in);
    }
}

TEST(ColorizerPixels, YellowHueAveragesNeighbouringChannels) {
    Colorizer colorizer = HueColorizer(256);
    EXPECT_EQ(Transform(colorizer, {200, 100, 0}), (Rgb{150, 50, 100}));
    EXPECT_EQ(Transform(colorizer, {1, 2, 4}), (Rgb{2, 3, 3}));
    EXPECT_EQ(Transform(colorizer, {255, 255, 255}), (Rgb{255, 255, 255}));
    EXPECT_EQ(Transform(HueColorizer(512), {10, 20, 30}), (Rgb{20, 30, 10}));
}

TEST(ColorizerPixels, BrightnessAlongTheGammaCurveAndLinearly) {
    Colorizer gamma;
    gamma.ConfigureFromMatrix(kIdentityMix, Offsets(50, 50, 50, true, true));
    EXPECT_EQ(Transform(gamma, {127, 255, 0}), (Rgb{177, 255, 1}));
    Colorizer linear;
    linear.ConfigureFromMatrix(kIdentityMix, Offsets(50, 50, 50, true, false));
    EXPECT_EQ(Transform(linear, {127, 0, 230}), (Rgb{177, 50, 255}));
}

TEST(ColorizerPixels, SourceBrightnessActsBeforeTheMix) {
    // Red +40, linear, yellow hue (rows 50 50 0 / 0 50 50 / 50 0 50), grey 100.
    Colorizer before, after;
    before.ConfigureFromHue(256, Offsets(40, 0, 0, true, false));
    after.ConfigureFromHue(256, Offsets(40, 0, 0, false, false));
    EXPECT_EQ(Transform(before, {100, 100, 100}), (Rgb{120, 100, 120}));
    EXPECT_EQ(Transform(after, {100, 100, 100}), (Rgb{140, 100, 100}));
    // With the identity both places give the same result.
    before.ConfigureFromMatrix(kIdentityMix, Offsets(40, 0, 0, true, false));
    after.ConfigureFromMatrix(kIdentityMix, Offsets(40, 0, 0, false, false));
    EXPECT_EQ(Transform(before, {100, 100, 100}), (Rgb{140, 100, 100}));
    EXPECT_EQ(Transform(after, {100, 100, 100}), (Rgb{140, 100, 100}));
}

TEST(ColorizerPixels, LargeCellsKeepOtherChannelsExact) {
    // A red row of 2700% three times sums to 2,065,550 at white, just inside what a packed
    // look-up holds; 2800% is past it. Either way green and blue come out untouched.
    for (double cell : {2700.0, 2800.0}) {
        Colorizer colorizer;
        colorizer.ConfigureFromMatrix(MixMatrix{{{cell, cell, cell}, {0, 100, 0}, {0, 0, 100}}},
                                      Offsets(0, 0, 0, true, true));
        EXPECT_EQ(Transform(colorizer, {255, 255, 255}), (Rgb{255, 255, 255})) << cell;
        EXPECT_EQ(Transform(colorizer, {0, 10, 20}), (Rgb{255, 10, 20})) << cell;
        EXPECT_EQ(Transform(colorizer, {0, 0, 0}), (Rgb{0, 0, 0})) << cell;
    }
}

// A negative cell takes the nine-table path, which rounds each channel's sum to the nearest whole
// value: 120% of red 100 less 30% of green 1 is 119.7, so 120.
TEST(ColorizerPixels, NegativeCellsRoundTheMixedSum) {
    Colorizer colorizer;
    colorizer.ConfigureFromMatrix(MixMatrix{{{120, -30, 0}, {0, 100, 0}, {0, 0, 100}}},
                                  Offsets(0, 0, 0, true, true));
    EXPECT_EQ(Transform(colorizer, {100, 1, 0}), (Rgb{120, 1, 0}));
    EXPECT_EQ(Transform(colorizer, {100, 2, 0}), (Rgb{119, 2, 0})); // 119.4
    EXPECT_EQ(Transform(colorizer, {10, 50, 7}), (Rgb{0, 50, 7}));  // -300: clamped
}

// Whole blocks go through a vector form of the transform, split between threads and, for large
// ones, with a table of red and green pairs; every pixel must come out as the one-pixel
// transform gives it, with alpha untouched.
TEST(ColorizerPixels, BlocksAgreeWithThePixelTransform) {
    std::vector<std::uint8_t> source(4 * ((1 << 20) + 13));
    std::uint32_t state = 12345;
    for (std::uint8_t& byte : source) {
        state = state * 1664525u + 1013904223u;
        byte = std::uint8_t(state >> 24);
    }
    for (int i = 0; i < 256 * 256; ++i) // every red and green value with a few blues
        source[4 * i + 2] = std::uint8_t(i), source[4 * i + 1] = std::uint8_t(i >> 8);
    struct Setting {
        MixMatrix matrix;
        Brightness brightness;
        int saturation;
    };
    const Setting settings[] = {
        {HueMatrix(300), Offsets(20, 0, -10, true, true), 100},
        {HueMatrix(700), Offsets(-40, 90, 5, false, false), -255},
        {HueMatrix(0), Offsets(0, 0, 0, true, true), 255},
        {MixMatrix{{{2700, 2700, 2700}, {0, 100, 0}, {30, 30, 40}}}, Offsets(0, 0, 0, 1, 1), 77},
        {MixMatrix{{{33.3, 66.7, 0}, {12.5, 50, 37.5}, {0, 0, 100}}}, Offsets(7, 7, 7, 1, 1), 0},
        {HueMatrix(100), Offsets(0, 0, 0, true, true), 60000},
    };
    for (const Setting& setting : settings) {
        Colorizer colorizer;
        colorizer.ConfigureFromMatrix(setting.matrix, setting.brightness);
        colorizer.SetSaturation(setting.saturation);
        std::vector<std::uint8_t> block = source;
        colorizer.ColorizeBgraPixels(block.data(), block.size() / 4, false);
        std::vector<std::uint8_t> expected = source;
        for (std::size_t i = 0; i < expected.size(); i += 4)
            colorizer.TransformBgr(&expected[i]);
        ASSERT_EQ(block, expected) << "saturation " << setting.saturation;
    }
}

TEST(ColorizerSaturation, TableAndFullRangeExtremes) {
    Colorizer colorizer;
    colorizer.SetSaturation(128); // b = -0.5
    EXPECT_TRUE(colorizer.SaturationEnabled());
    EXPECT_EQ(colorizer.SaturationStep(100), -50);
    EXPECT_EQ(colorizer.SaturationStep(-3), 1); // 1.5 truncates to 1
    EXPECT_EQ(colorizer.SaturationStep(0), 0);

    // -255: L = (5000 + 5500 + 50) / 100 = 105; each channel keeps 1/256 of its distance.
    colorizer.SetSaturation(-255);
    EXPECT_EQ(Transform(colorizer, {200, 100, 0}), (Rgb{106, 104, 104}));
    // +255: L = 124; the distances 26, -4, -24 grow by 25, -3, -23.
    colorizer.SetSaturation(255);
    EXPECT_EQ(Transform(colorizer, {150, 120, 100}), (Rgb{175, 117, 77}));
    EXPECT_EQ(Transform(colorizer, {200, 100, 0}), (Rgb{255, 96, 0})); // 294 and -104 clamp
    colorizer.SetSaturation(0);
    EXPECT_FALSE(colorizer.SaturationEnabled());
    EXPECT_EQ(Transform(colorizer, {200, 100, 0}), (Rgb{200, 100, 0}));
}

TEST(ColorizerSaturation, NegativeChannelsClampDifferentlyForPngFiles) {
    // Red row -100%: red 100 mixes to (-9999 + 50) / 100 = -99.
    Colorizer colorizer;
    colorizer.ConfigureFromMatrix(MixMatrix{{{-100, 0, 0}, {0, 100, 0}, {0, 0, 100}}},
                                  Offsets(0, 0, 0, true, true));
    colorizer.SetSaturation(128);
    // Kept at -99: L = 50, green and blue move 25 away from it.
    EXPECT_EQ(Transform(colorizer, {100, 100, 100}), (Rgb{0, 125, 125}));
    // Clamped to 0 first: L = 75, green and blue move 12 away.
    EXPECT_EQ(Transform(colorizer, {100, 100, 100}, true), (Rgb{0, 112, 112}));
    // -300% drives red to -299, 299 below the luminance: past the table, still exact.
    colorizer.ConfigureFromMatrix(MixMatrix{{{-300, 0, 0}, {0, 100, 0}, {0, 0, 100}}},
                                  Offsets(0, 0, 0, true, true));
    EXPECT_EQ(colorizer.SaturationStep(-299), 149);
    EXPECT_EQ(Transform(colorizer, {100, 100, 100}), (Rgb{0, 150, 150}));
}

TEST(ColorizerDib, ThirtyTwoBitsChangesMagentaButNeverAlpha) {
    // Hue 512 takes red from green, green from blue, blue from red: magenta becomes cyan.
    Bytes magenta = InfoHeader(1, 1, 32) + Bytes{255, 0, 255, 9};
    ASSERT_EQ(HueColorizer(512).ColorizeDib(magenta.data(), magenta.size()), S_OK);
    EXPECT_EQ(Bytes(magenta.begin() + 40, magenta.end()), (Bytes{255, 255, 0, 9}));

    Colorizer colorizer = HueColorizer(300);
    colorizer.SetSaturation(-100);
    Bytes pixels = {255, 0, 255, 0, 30, 20, 10, 128, 0, 0, 0, 255, 1, 2, 3, 77};
    Bytes dib = InfoHeader(2, -2, 32) + pixels;
    ASSERT_EQ(colorizer.ColorizeDib(dib.data(), dib.size()), S_OK);
    EXPECT_NE(Bytes(dib.begin() + 40, dib.end()), pixels);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(dib[40 + 4 * i + 3], pixels[4 * i + 3]) << "alpha of pixel " << i;
}

TEST(ColorizerDib, TwentyFourBitsSkipsTheKeyAndThePadding) {
    Colorizer colorizer = HueColorizer(512);
    // Two rows of two pixels: magenta and (255, 0, 254), then two greys; 2 padding bytes each.
    Bytes rows = {255, 0, 255, 254, 0, 255, 0xEE, 0xEE, 9, 9, 9, 9, 9, 9, 0xEE, 0xEE};
    Bytes dib = InfoHeader(2, 2, 24) + rows;
    ASSERT_EQ(colorizer.ColorizeDib(dib.data(), dib.size()), S_OK);
    EXPECT_EQ(Bytes(dib.begin() + 40, dib.end()),
              (Bytes{255, 0, 255, 255, 254, 0, 0xEE, 0xEE, 9, 9, 9, 9, 9, 9, 0xEE, 0xEE}));
}

TEST(ColorizerDib, SixteenBitsWidenByShifting) {
    Colorizer colorizer = HueColorizer(512);
    // 5-6-5 (bit-field masks after the header): pure red 0xF800 widens to 248 and becomes blue
    // 0x001F; the key 0xF81F stays.
    Bytes masks = test::ByteWriter().U32(0xF800).U32(0x07E0).U32(0x001F).Take();
    Bytes dib565 = InfoHeader(2, 1, 16, 3) + masks + Bytes{0x00, 0xF8, 0x1F, 0xF8};
    ASSERT_EQ(colorizer.ColorizeDib(dib565.data(), dib565.size()), S_OK);
    EXPECT_EQ(Bytes(dib565.begin() + 52, dib565.end()), (Bytes{0x1F, 0x00, 0x1F, 0xF8}));
    // 5-5-5: red 0x7C00 becomes 0x001F, the unused top bit is kept, the key 0x7C1F stays.
    Bytes dib555 = InfoHeader(3, 1, 16) + Bytes{0x00, 0x7C, 0x00, 0xFC, 0x1F, 0x7C, 0, 0};
    ASSERT_EQ(colorizer.ColorizeDib(dib555.data(), dib555.size()), S_OK);
    EXPECT_EQ(Bytes(dib555.begin() + 40, dib555.end()),
              (Bytes{0x1F, 0x00, 0x1F, 0x80, 0x1F, 0x7C, 0, 0}));
}

TEST(ColorizerDib, PaletteImagesChangeTheirColourTable) {
    Colorizer colorizer = HueColorizer(512);
    // Two used colours: (R 10, G 20, B 30) and magenta; the pixel byte is left alone.
    Bytes dib = InfoHeader(1, 1, 8, 0, 2) + Bytes{30, 20, 10, 0, 255, 0, 255, 0, 1, 0, 0, 0};
    ASSERT_EQ(colorizer.ColorizeDib(dib.data(), dib.size()), S_OK);
    EXPECT_EQ(Bytes(dib.begin() + 40, dib.end()),
              (Bytes{10, 30, 20, 0, 255, 0, 255, 0, 1, 0, 0, 0}));
    // Colours used 0 means a full table: 2 entries for 1 bit.
    Bytes mono = InfoHeader(8, 1, 1) + Bytes{30, 20, 10, 0, 0, 0, 0, 0};
    ASSERT_EQ(colorizer.ColorizeDib(mono.data(), mono.size()), S_OK);
    EXPECT_EQ(Bytes(mono.begin() + 40, mono.end()), (Bytes{10, 30, 20, 0, 0, 0, 0, 0}));
}

TEST(ColorizerDib, IconImagesStopAtTheMask) {
    Colorizer colorizer = HueColorizer(512);
    // 1 by 1, header height 2: one XOR pixel, then a 4-byte mask row that must stay.
    Bytes dib = InfoHeader(1, 2, 32) + Bytes{10, 20, 30, 40, 0xAB, 0xCD, 0xEF, 0x01};
    ASSERT_EQ(colorizer.ColorizeIconImage(dib.data(), dib.size()), S_OK);
    EXPECT_EQ(Bytes(dib.begin() + 40, dib.end()), (Bytes{30, 10, 20, 40, 0xAB, 0xCD, 0xEF, 0x01}));
}

TEST(ColorizerDib, DamagedHeadersAreRefusedUntouched) {
    Colorizer colorizer = HueColorizer(512);
    std::vector<Bytes> damaged = {
        InfoHeader(2, 2, 24) + Bytes(15, 7),                   // one byte short
        InfoHeader(1, 1, 8, 0, 1000) + Bytes(16, 7),           // colour table past the end
        InfoHeader(1, 1, 0) + Bytes(16, 7),                    // embedded JPEG or PNG
        InfoHeader(1, 1, 24, 1) + Bytes(16, 7),                // compressed 24 bits
        InfoHeader(-1, 1, 24) + Bytes(16, 7),                  // negative width
        InfoHeader(0x7FFFFFFF, 0x7FFFFFFF, 32) + Bytes(16, 7), // size overflow
        Bytes(30, 0),                                          // shorter than a header
    };
    damaged[6][0] = 40;
    Bytes core = InfoHeader(1, 1, 24) + Bytes(4, 7);
    core[0] = 12; // a BITMAPCOREHEADER has another layout
    damaged.push_back(core);
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        Bytes copy = damaged[i];
        EXPECT_EQ(colorizer.ColorizeDib(copy.data(), copy.size()), E_FAIL) << "case " << i;
        EXPECT_EQ(copy, damaged[i]) << "case " << i;
    }
    EXPECT_TRUE(TakeErrorTrail().has_value());
}

TEST(ColorizerPresets, BaseRowsArrangementsAndSaturation) {
    auto preset = [](int index) { return PresetColourAt(index).value(); };
    EXPECT_EQ(preset(0).matrix, (MixMatrix{{{0, 0, 100}, {0, 100, 0}, {0, 0, 100}}}));
    EXPECT_EQ(preset(0).saturationSlider, 0);
    // q 1: the rows of base 0 moved down by one.
    EXPECT_EQ(preset(1).matrix, (MixMatrix{{{0, 0, 100}, {0, 0, 100}, {0, 100, 0}}}));
    // q 9: arrangement 3 mirrors the columns.
    EXPECT_EQ(preset(9).matrix, (MixMatrix{{{100, 0, 0}, {0, 100, 0}, {100, 0, 0}}}));
    // Base 1, q 3: arrangement 1 moves column j to j + 1; saturation -15 is slider -38.
    EXPECT_EQ(preset(21).matrix, (MixMatrix{{{0, 66, 33}, {30, 0, 63}, {100, 0, 0}}}));
    EXPECT_EQ(preset(21).saturationPercent, -15);
    EXPECT_EQ(preset(21).saturationSlider, -38);
    // Base 8, q 17: rows down by two, arrangement 5 swaps the last two columns.
    EXPECT_EQ(preset(161).matrix, (MixMatrix{{{0, 5, 55}, {60, 0, 60}, {40, 45, 0}}}));
    EXPECT_FALSE(PresetColourAt(162).has_value());
    EXPECT_FALSE(PresetColourAt(-1).has_value());
}

TEST(ColorizerPresets, ApplyingSetsMatrixSaturationAndTables) {
    Colorizer colorizer;
    ColorizerSettings settings;
    EXPECT_FALSE(ApplyPreset(500, colorizer, settings));
    EXPECT_EQ(settings.matrix, kIdentityMix);
    ASSERT_TRUE(ApplyPreset(108, colorizer, settings)); // base 6: 80% each, saturation 25
    EXPECT_EQ(settings.saturation, 64);
    EXPECT_TRUE(colorizer.SaturationEnabled());
    EXPECT_EQ(colorizer.MatrixFromTables(), (MixMatrix{{{80, 0, 0}, {0, 80, 0}, {0, 0, 80}}}));
    // Grey 100 stays grey at 80: no distance from the luminance to scale.
    EXPECT_EQ(Transform(colorizer, {100, 100, 100}), (Rgb{80, 80, 80}));
}

TEST(ColorizerSettingsTest, HueChangeReadsTheMatrixBack) {
    Colorizer colorizer;
    ColorizerSettings settings;
    settings.hue = -512; // 1024: c = 0, 0, 255
    ConfigureFromHue(colorizer, settings);
    EXPECT_EQ(settings.matrix, (MixMatrix{{{0, 0, 100}, {100, 0, 0}, {0, 100, 0}}}));
}

TEST(ColorizerSettingsTest, StatusTexts) {
    EXPECT_EQ(HueLabel(384), "Hue +50%");
    EXPECT_EQ(HueLabel(-768), "Hue -100%");
    EXPECT_EQ(HueLabel(0), "Hue 0%");
    EXPECT_EQ(HueLabel(5), "Hue +0%");
    EXPECT_EQ(BrightnessLabel(51), "Brightness +20%");
    EXPECT_EQ(SaturationLabel(-255), "Saturation -100%");
}
