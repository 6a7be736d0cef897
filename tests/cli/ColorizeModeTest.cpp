// vellum -Colorize:SETTINGS -Output:PATH in process: a folder of every image kind the colorizer
// knows comes out as the engine colorizes it, with pixels worked out by hand for hue 256 and
// saturation 64; refused settings change nothing.
#include "BatchTest.h"
#include "common/ErrorTrail.h"
#include "common/TestSupport.h"
#include "imaging/Colorizer.h"
#include "imaging/ImageCodecs.h"
#include "operations/FailureLog.h"
#include "support/ByteBuilder.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

using namespace vellum;
using namespace vellum::test;
namespace fs = std::filesystem;

namespace {

// Two pixels of every kind: (R, G, B) = (200, 100, 0) and magenta (palettes have two more). With
// hue 256 (each channel the rounded mean of itself and the next) and saturation 64 (v += trunc((v -
// L) / 4)):
//   mix (150, 50, 100), L = (25 * 150 + 55 * 50 + 20 * 100 + 50) / 100 = 85,
//   result (150 + 16, 50 - 8, 100 + 3) = (166, 42, 103).
const Bytes kPaletteBefore = {0, 100, 200, 0, 255, 0, 255, 0, 9, 9, 9, 0, 20, 40, 60, 0};
const Bytes kPaletteAfter = {103, 42, 166, 0, 255, 0, 255, 0};

// 5-5-5: (25, 12, 0) widens to (200, 96, 0), mixes to (148, 48, 100) with L = 83, saturates to
// (164, 40, 104) and packs back as (20, 5, 13): 0x50AD. Magenta is 0x7C1F.
constexpr std::uint16_t k555Before = 25 << 10 | 12 << 5;
constexpr std::uint16_t k555After = 20 << 10 | 5 << 5 | 13;
constexpr std::uint16_t k555Magenta = 0x7C1F;

Bytes Bmp(std::uint16_t bitCount, const Bytes& colours, const Bytes& rows, std::uint32_t used = 0) {
    return BmpFileBytes({.width = 2, .height = 1, .bitCount = bitCount, .coloursUsed = used},
                        colours, rows);
}

Bytes Word16(std::uint16_t a, std::uint16_t b) {
    return {std::uint8_t(a), std::uint8_t(a >> 8), std::uint8_t(b), std::uint8_t(b >> 8)};
}

Bytes Icon32(const Bytes& bgra) {
    Bytes dib = DibBytes({.width = 1, .height = 2, .bitCount = 32}, {}, bgra, {0x80, 0, 0, 0});
    return IconFileBytes(kIconType, {{.width = 1, .height = 1, .bitCount = 32, .image = dib}});
}

void WriteRgbaPng(const std::string& path, const Bytes& bgra) {
    ImageRecord image;
    ASSERT_TRUE(image.Allocate(int(bgra.size() / 4), 1, 32, 0, false));
    std::copy(bgra.begin(), bgra.end(), image.rows[0]);
    ASSERT_TRUE(WritePng(path, image));
}

Bytes PngPixels(const std::string& path) {
    ImageRecord image;
    EXPECT_TRUE(ReadPng(path, image));
    return image.rows.empty() ? Bytes{} : Bytes(image.rows[0], image.rows[0] + image.stride);
}

// Every file of a folder by name.
std::map<std::string, Bytes> Contents(const std::string& folder) {
    std::map<std::string, Bytes> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = ReadFileBytes(entry.path().string());
    return files;
}

class ColorizeModeTest : public BatchTest {
protected:
    // The six images and a text file.
    std::string MakeImages(const std::string& name) {
        std::string folder = dir_ / name + "/";
        fs::create_directories(folder);
        WriteFileBytes(folder + "pal8.bmp", Bmp(8, kPaletteBefore, {0, 1, 2, 3}, 4));
        WriteFileBytes(folder + "rgb555.bmp", Bmp(16, {}, Word16(k555Before, k555Magenta)));
        WriteFileBytes(folder + "rgb24.bmp", Bmp(24, {}, {0, 100, 200, 255, 0, 255, 0, 0}));
        WriteFileBytes(folder + "rgb32.bmp", Bmp(32, {}, {0, 100, 200, 77, 255, 0, 255, 0}));
        WriteFileBytes(folder + "icon32.ico", Icon32({0, 100, 200, 140}));
        WriteRgbaPng(folder + "rgba.png", {0, 100, 200, 33, 255, 0, 255, 0});
        WriteFileText(folder + "notes.txt", "left alone");
        return folder;
    }

    std::string Settings(const std::string& text) {
        std::string path = dir_ / "look.ini";
        WriteFileText(path, text);
        return path;
    }

    int Run(const std::string& settings, const std::string& target) {
        return RunBatch(ParseCommandLine({"-Colorize:" + settings, "-Output:" + target}),
                        prompter_);
    }

    // The folder colorized file by file by the engine, configured here rather than from a file.
    std::map<std::string, Bytes> EngineResult(const Colorizer& colorizer) {
        std::string folder = MakeImages("engine");
        for (const auto& entry : fs::directory_iterator(folder))
            EXPECT_EQ(ColorizeFile(colorizer, entry.path().string()), S_OK);
        std::map<std::string, Bytes> files = Contents(folder);
        fs::remove_all(folder);
        return files;
    }
};

} // namespace

TEST_F(ColorizeModeTest, HueAndSaturationOnEveryImageKind) {
    std::string folder = MakeImages("images");
    ASSERT_EQ(Run(Settings("[Colorize]\r\nHue=256\r\nSaturation=64\r\n"), folder), kExitSuccess);

    std::map<std::string, Bytes> files = Contents(folder);
    Colorizer engine;
    engine.ConfigureFromHue(256, Brightness{});
    engine.SetSaturation(64);
    EXPECT_EQ(files, EngineResult(engine));

    EXPECT_EQ(files["pal8.bmp"],
              Bmp(8, kPaletteAfter + Bytes{9, 9, 9, 0, 40, 29, 53, 0}, {0, 1, 2, 3}, 4))
        << "the colour table changes, magenta and the indices do not";
    EXPECT_EQ(files["rgb555.bmp"], Bmp(16, {}, Word16(k555After, k555Magenta)));
    EXPECT_EQ(files["rgb24.bmp"], Bmp(24, {}, {103, 42, 166, 255, 0, 255, 0, 0}));
    // Magenta is no key in 32 bits: (128, 128, 255) mixed, L = 153, saturated to (122, 122, 255).
    EXPECT_EQ(files["rgb32.bmp"], Bmp(32, {}, {103, 42, 166, 77, 255, 122, 122, 0}));
    EXPECT_EQ(files["icon32.ico"], Icon32({103, 42, 166, 140}));
    EXPECT_EQ(PngPixels(folder + "rgba.png"), (Bytes{103, 42, 166, 33, 255, 122, 122, 0}));
    EXPECT_EQ(ReadFileText(folder + "notes.txt"), "left alone");
    EXPECT_FALSE(fs::exists(dir_ / (std::string("data/") + kLogFileName)));
}

TEST_F(ColorizeModeTest, PresetWithGammaBrightnessMatchesTheEngine) {
    std::string folder = MakeImages("images");
    ASSERT_EQ(Run(Settings("[Colorize]\nPreset=19\nBrightnessRed=40\nBrightnessGreen=-30\n"
                           "GammaBrightness=1\nSourceBrightness=0\n"),
                  folder),
              kExitSuccess);
    // Preset 19: base 1 with its rows moved down by one, saturation -15% (slider -38).
    Colorizer engine;
    engine.ConfigureFromMatrix({{{0, 0, 100}, {66, 33, 0}, {0, 63, 30}}},
                               Brightness{{40, -30, 0}, false, true});
    engine.SetSaturation(-38);
    std::map<std::string, Bytes> files = Contents(folder);
    EXPECT_EQ(files, EngineResult(engine));
    EXPECT_NE(files["rgb24.bmp"], Bmp(24, {}, {0, 100, 200, 255, 0, 255, 0, 0}));
}

TEST_F(ColorizeModeTest, SingleFilesAndFailuresListedWhileTheRestIsDone) {
    std::string folder = MakeImages("images");
    std::string settings = Settings("[Colorize]\nHue=256\nSaturation=64\n");
    ASSERT_EQ(Run(settings, folder + "rgb24.bmp"), kExitSuccess);
    EXPECT_EQ(ReadFileBytes(folder + "rgb24.bmp"), Bmp(24, {}, {103, 42, 166, 255, 0, 255, 0, 0}));
    EXPECT_EQ(ReadFileBytes(folder + "rgb32.bmp"), Bmp(32, {}, {0, 100, 200, 77, 255, 0, 255, 0}))
        << "only the named file";
    EXPECT_EQ(Run(settings, folder + "notes.txt"), kExitSuccess) << "skipped by its extension";
    EXPECT_EQ(Run(settings, dir_ / "nothing-here"), kExitFailure);

    WriteFileText(folder + "broken.bmp", "MZ not a bitmap");
    EXPECT_EQ(Run(settings, folder), kExitFailure);
    EXPECT_EQ(ReadFileText(folder + "broken.bmp"), "MZ not a bitmap");
    EXPECT_EQ(ReadFileBytes(folder + "icon32.ico"), Icon32({103, 42, 166, 140}))
        << "a failure does not stop the other files";
    std::string log = Log();
    EXPECT_NE(log.find("Colorize " + folder + " (some files)"), std::string::npos) << log;
    EXPECT_NE(log.find("broken.bmp"), std::string::npos);
    EXPECT_FALSE(PeekErrorTrail()) << "each failure's records went to stderr with its file";
}

TEST_F(ColorizeModeTest, RefusedSettingsChangeNothing) {
    std::string folder = MakeImages("images");
    std::map<std::string, Bytes> before = Contents(folder);
    const char* refused[] = {
        "[Colorize]\nHue=1000\n",
        "[Colorize]\nSaturation=a lot\n",
        "[Colours]\nHue=256\n",
    };
    for (const char* text : refused) {
        EXPECT_EQ(Run(Settings(text), folder), kExitFailure) << text;
        EXPECT_EQ(Contents(folder), before) << text;
    }
    EXPECT_EQ(Run(dir_ / "missing.ini", folder), kExitFailure);
    EXPECT_EQ(Contents(folder), before);
    std::string log = Log();
    EXPECT_NE(log.find("look.ini: Hue is \"1000\""), std::string::npos) << log;
    EXPECT_NE(log.find("look.ini: Saturation is \"a lot\""), std::string::npos);
    EXPECT_NE(log.find("has no [Colorize] section"), std::string::npos);

    EXPECT_EQ(Run("", folder), kExitUsage);
    EXPECT_EQ(RunBatch(ParseCommandLine({"-colorize:" + dir_ / "look.ini"}), prompter_), kExitUsage)
        << "without -Output:";
}
