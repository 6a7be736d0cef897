// Preset colours and status texts of the colorizer panel, and configuring from its settings.
#include "imaging/ColorizerSettings.h"

#include <cstdio>

namespace vellum {

namespace {

struct PresetBase {
    int cells[9]; // row-major: red row, green row, blue row
    int saturation;
};

constexpr PresetBase kPresetBases[] = {
    {{0, 0, 100, 0, 100, 0, 0, 0, 100}, 0},   {{66, 33, 0, 0, 63, 30, 0, 0, 100}, -15},
    {{0, 45, 45, 45, 0, 45, 50, 50, 0}, -15}, {{50, 50, 0, 50, 50, 0, 0, 0, 100}, 0},
    {{30, 70, 0, 0, 40, 60, -10, 40, 60}, 0}, {{90, 0, 0, 90, 0, 0, 0, 60, 60}, -50},
    {{80, 0, 0, 0, 80, 0, 0, 0, 80}, 25},     {{40, 40, 0, 0, 40, 40, 40, 0, 40}, 25},
    {{40, 0, 45, 0, 55, 5, 60, 60, 0}, 0},
};
constexpr int kArrangements = 18;

// The column a cell of column j goes to in arrangement a: three rotations, then the same three
// mirrored.
int ArrangedColumn(int arrangement, int j) {
    int rotated = (j + arrangement % 3) % 3;
    return arrangement < 3 ? rotated : 2 - rotated;
}

// The sign is shown for a positive slider value, even when the percentage rounds to 0.
std::string Percent(const char* name, int value, int percent) {
    char text[64];
    std::snprintf(text, sizeof text, value > 0 ? "%s +%d%%" : "%s %d%%", name, percent);
    return text;
}

} // namespace

void ConfigureFromHue(Colorizer& colorizer, ColorizerSettings& settings) {
    colorizer.ConfigureFromHue(settings.hue, settings.brightness);
    settings.matrix = colorizer.MatrixFromTables();
}

void ConfigureFromMatrix(Colorizer& colorizer, const ColorizerSettings& settings) {
    colorizer.ConfigureFromMatrix(settings.matrix, settings.brightness);
}

std::optional<PresetColour> PresetColourAt(int index) {
    if (index < 0 || index >= kPresetCount)
        return std::nullopt;
    const PresetBase& base = kPresetBases[index / kArrangements];
    int q = index % kArrangements;
    PresetColour preset;
    for (int k = 0; k < 9; ++k) {
        int moved = (k + 3 * (q % 3)) % 9; // rows rotated down
        int i = moved / 3;
        int j = moved % 3;
        preset.matrix[i][ArrangedColumn(q / 3, j)] = base.cells[k];
    }
    preset.saturationPercent = base.saturation;
    preset.saturationSlider = base.saturation * 256 / 100;
    return preset;
}

bool ApplyPreset(int index, Colorizer& colorizer, ColorizerSettings& settings) {
    std::optional<PresetColour> preset = PresetColourAt(index);
    if (!preset)
        return false;
    settings.matrix = preset->matrix;
    settings.saturation = preset->saturationSlider;
    colorizer.SetSaturation(settings.saturation);
    ConfigureFromMatrix(colorizer, settings);
    return true;
}

std::string HueLabel(int hue) {
    return Percent("Hue", hue, hue * 100 / 768);
}

std::string BrightnessLabel(int offset) {
    return Percent("Brightness", offset, offset * 100 / 255);
}

std::string SaturationLabel(int saturation) {
    return Percent("Saturation", saturation, saturation * 100 / 255);
}

} // namespace vellum
