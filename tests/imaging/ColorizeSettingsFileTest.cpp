// Tests of the colorizer settings file: what a hand-written file gives, what is refused and how,
// the exact text written, and that a file written and read again configures the same tables.
#include "imaging/ColorizeSettingsFile.h"

#include "common/ErrorTrail.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

using namespace vellum;
using vellum::test::ScratchDir;

namespace {

bool SameTables(const Colorizer& a, const Colorizer& b) {
    for (int out = 0; out < 3; ++out)
        for (int in = 0; in < 3; ++in)
            if (a.Table(out, in) != b.Table(out, in))
                return false;
    for (int d = -255; d <= 255; ++d)
        if (a.SaturationStep(d) != b.SaturationStep(d))
            return false;
    return a.SaturationEnabled() == b.SaturationEnabled();
}

ColorizeFileSettings Parse(std::string_view text) {
    ColorizeFileSettings settings;
    EXPECT_EQ(ParseColorizeSettings(text, "look.ini", &settings), S_OK) << text;
    return settings;
}

} // namespace

TEST(ColorizeSettingsFile, ReadsAHandWrittenFile) {
    ColorizeFileSettings read = Parse("\xEF\xBB\xBF; saved by hand\r\n"
                                      "[Other]\r\n"
                                      "Hue=5\r\n"
                                      "[colorize]\r\n"
                                      "  hue = -300   ; a bluish turn\r\n"
                                      "# a comment line\r\n"
                                      "MATRIX=1, -2 3\t4 5 6 7 8 9999\r\n"
                                      "BrightnessRed=+20\r\n"
                                      "brightnessblue = -255\r\n"
                                      "Saturation=-64\r\n"
                                      "SourceBrightness=0\r\n"
                                      "Unknown=whatever\r\n"
                                      "[Later]\r\n"
                                      "GammaBrightness=0\r\n");
    EXPECT_EQ(read.hue, -300);
    EXPECT_FALSE(read.preset);
    EXPECT_EQ(read.matrix, (MixMatrix{{{1, -2, 3}, {4, 5, 6}, {7, 8, 9999}}}));
    EXPECT_EQ(read.brightness.offsets, (std::array<int, 3>{20, 0, -255}));
    EXPECT_EQ(read.saturation, -64);
    EXPECT_FALSE(read.brightness.source);
    EXPECT_TRUE(read.brightness.gamma) << "the key in another section does not count";

    // An empty section: every default.
    ColorizeFileSettings empty = Parse("[Colorize]\n");
    EXPECT_FALSE(empty.hue || empty.preset);
    EXPECT_EQ(empty.matrix, kIdentityMix);
    EXPECT_EQ(empty.brightness.offsets, (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(empty.saturation, 0);
    EXPECT_TRUE(empty.brightness.source && empty.brightness.gamma);
}

TEST(ColorizeSettingsFile, RefusesBadValuesNamingFileAndKey) {
    struct Case {
        const char* text;
        const char* key; // named in the message
    };
    const Case cases[] = {
        {"[Colorize]\nHue=769", "Hue"},
        {"[Colorize]\nHue=-769", "Hue"},
        {"[Colorize]\nHue=12x", "Hue"},
        {"[Colorize]\nHue=", "Hue"},
        {"[Colorize]\nPreset=162", "Preset"},
        {"[Colorize]\nPreset=+-1", "Preset"},
        {"[Colorize]\nBrightnessGreen=256", "BrightnessGreen"},
        {"[Colorize]\nSaturation=99999999999", "Saturation"},
        {"[Colorize]\nSourceBrightness=2", "SourceBrightness"},
        {"[Colorize]\nGammaBrightness=yes", "GammaBrightness"},
        {"[Colorize]\nMatrix=1 2 3 4 5 6 7 8", "Matrix"},
        {"[Colorize]\nMatrix=1 2 3 4 5 6 7 8 9 10", "Matrix"},
        {"[Colorize]\nMatrix=1 2 3 4 5 6 7 8 10000", "Matrix"},
        {"[Colorize]\nMatrix=1 2 3 4 5 6 7 8 1.5", "Matrix"},
    };
    for (const Case& c : cases) {
        ClearErrorTrail();
        ColorizeFileSettings settings;
        settings.saturation = 7;
        EXPECT_EQ(ParseColorizeSettings(c.text, "/x/look.ini", &settings), E_INVALIDARG) << c.text;
        EXPECT_EQ(settings.saturation, 7) << "nothing is returned from a refused file";
        std::string trail = TakeErrorTrail().value_or("");
        EXPECT_NE(trail.find(std::string("/x/look.ini: ") + c.key + " is \""), std::string::npos)
            << trail;
    }

    ClearErrorTrail();
    ColorizeFileSettings settings;
    EXPECT_EQ(ParseColorizeSettings("[Colorise]\nHue=1\n", "/x/look.ini", &settings), E_INVALIDARG);
    EXPECT_NE(TakeErrorTrail().value_or("").find("/x/look.ini has no [Colorize] section"),
              std::string::npos);
    ScratchDir dir;
    EXPECT_EQ(ReadColorizeSettings(dir / "missing.ini", &settings),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_NE(TakeErrorTrail().value_or("").find("missing.ini"), std::string::npos);
}

TEST(ColorizeSettingsFile, WritesTheKeysTheReaderUses) {
    ColorizeFileSettings settings;
    settings.matrix = {{{50, 50, 0}, {0, 50, 50}, {-10, 0, 50}}};
    settings.brightness = {{10, -20, 30}, false, true};
    settings.saturation = -64;
    EXPECT_EQ(ColorizeSettingsText(settings), "[Colorize]\r\n"
                                              "Matrix=50 50 0 0 50 50 -10 0 50\r\n"
                                              "BrightnessRed=10\r\n"
                                              "BrightnessGreen=-20\r\n"
                                              "BrightnessBlue=30\r\n"
                                              "Saturation=-64\r\n"
                                              "SourceBrightness=0\r\n"
                                              "GammaBrightness=1\r\n");
    settings.hue = 256;
    EXPECT_TRUE(ColorizeSettingsText(settings).starts_with("[Colorize]\r\nHue=256\r\nBright"));
    settings.preset = 19;
    std::string withPreset = ColorizeSettingsText(settings);
    EXPECT_TRUE(withPreset.starts_with("[Colorize]\r\nPreset=19\r\nHue=256\r\nBright"));
    EXPECT_EQ(withPreset.find("Saturation"), std::string::npos);

    ScratchDir dir;
    ASSERT_EQ(WriteColorizeSettings(dir / "look.ini", settings), S_OK);
    EXPECT_EQ(test::ReadFileText(dir / "look.ini"), withPreset);
    // A value the reader would refuse writes nothing and keeps the old file.
    settings.hue = 900;
    ClearErrorTrail();
    EXPECT_EQ(WriteColorizeSettings(dir / "look.ini", settings), E_INVALIDARG);
    EXPECT_EQ(test::ReadFileText(dir / "look.ini"), withPreset);
    EXPECT_NE(TakeErrorTrail().value_or("").find("Hue is \"900\""), std::string::npos);
}

TEST(ColorizeSettingsFile, PresetWinsOverHueAndHueOverMatrix) {
    ColorizeFileSettings file;
    file.matrix = {{{0, 0, 100}, {0, 100, 0}, {100, 0, 0}}};
    file.saturation = 100;
    file.brightness = {{30, 0, 0}, true, false};

    Colorizer fromMatrix;
    ColorizerSettings panel;
    ApplyColorizeSettings(file, fromMatrix, panel);
    Colorizer expected;
    expected.ConfigureFromMatrix(file.matrix, file.brightness);
    expected.SetSaturation(100);
    EXPECT_TRUE(SameTables(fromMatrix, expected));
    EXPECT_EQ(panel.saturation, 100);

    // The hue's matrix is read back into the panel: hue 256 mixes 50, 50, 0.
    file.hue = 256;
    Colorizer fromHue;
    ApplyColorizeSettings(file, fromHue, panel);
    EXPECT_EQ(panel.hue, 256);
    EXPECT_EQ(fromHue.Table(0, 0)[255], 50 * 255);
    EXPECT_EQ(fromHue.Table(0, 1)[255], 50 * 255);
    EXPECT_EQ(fromHue.Table(0, 2)[255], 0);
    EXPECT_EQ(panel.matrix, (MixMatrix{{{50, 50, 0}, {0, 50, 50}, {50, 0, 50}}}));

    // Preset 19 is base 1 moved down a row, saturation -15% on a slider of -38.
    file.preset = 19;
    Colorizer fromPreset;
    ApplyColorizeSettings(file, fromPreset, panel);
    EXPECT_EQ(panel.matrix, (MixMatrix{{{0, 0, 100}, {66, 33, 0}, {0, 63, 30}}}));
    EXPECT_EQ(panel.saturation, -38);
    EXPECT_EQ(fromPreset.SaturationStep(100), 14) << "trunc(-100 * -38 / 256)";
    EXPECT_EQ(fromPreset.Table(1, 0)[0], 30 * 66) << "source brightness, linear: (0 + 30) * 66";
}

TEST(ColorizeSettingsFile, WrittenAndReadAgainGivesTheSameTables) {
    ScratchDir dir;
    auto reloaded = [&](const ColorizeFileSettings& file, ColorizerSettings* panel) {
        Colorizer again;
        EXPECT_EQ(WriteColorizeSettings(dir / "look.ini", file), S_OK);
        ColorizeFileSettings read;
        EXPECT_EQ(ReadColorizeSettings(dir / "look.ini", &read), S_OK);
        ApplyColorizeSettings(read, again, *panel);
        return again;
    };
    ColorizerSettings panel;
    panel.hue = -200;
    panel.brightness = {{-40, 12, 255}, false, true};
    panel.saturation = 130;
    Colorizer original;
    ConfigureFromHue(original, panel);
    original.SetSaturation(panel.saturation);
    for (bool hueActive : {true, false}) {
        ColorizerSettings panelAgain;
        EXPECT_TRUE(SameTables(original, reloaded(FileSettingsOf(panel, hueActive), &panelAgain)))
            << "hue active: " << hueActive;
        EXPECT_EQ(panelAgain.matrix, panel.matrix);
        EXPECT_EQ(panelAgain.hue, hueActive ? -200 : 0);
    }

    // Linear darkening: the matrix read back after the hue is no longer the hue's (96 for 100,
    // 245 * 100 / 255), and what the panel builds from then on comes from that matrix.
    panel.hue = 0;
    panel.brightness = {{-10, 0, 0}, false, false};
    ConfigureFromHue(original, panel);
    ASSERT_EQ(panel.matrix[0][0], 96);
    ConfigureFromMatrix(original, panel);
    ColorizeFileSettings file = FileSettingsOf(panel, true);
    EXPECT_FALSE(file.hue);
    ColorizerSettings panelAgain;
    EXPECT_TRUE(SameTables(original, reloaded(file, &panelAgain)));
}
