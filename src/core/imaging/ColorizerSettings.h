// The colorizer panel's settings, its preset colours and status texts, kept apart from any window.
#pragma once

#include "imaging/Colorizer.h"

#include <optional>
#include <string>

namespace vellum {

// The largest percentage a matrix cell may hold, either way: what the panel's boxes take and
// what a settings file may give.
inline constexpr int kMatrixCellLimit = 9999;

// Everything the panel's controls hold, with the values the panel starts with.
struct ColorizerSettings {
    int hue = 0;           // -768..768: half the wheel each way
    Brightness brightness; // offsets -255..255; Source and Gamma Brightness on
    bool lockBrightness = true;
    int saturation = 0; // -255..255
    MixMatrix matrix = kIdentityMix;
};

// A hue change: the tables come from the hue, and the matrix shown in the cells is read back.
void ConfigureFromHue(Colorizer& colorizer, ColorizerSettings& settings);
// Every other change: the tables come from the matrix cells.
void ConfigureFromMatrix(Colorizer& colorizer, const ColorizerSettings& settings);

// One of the preset colours of "Pick Preset Color:".
struct PresetColour {
    MixMatrix matrix{};
    int saturationPercent = 0; // what the saturation label shows
    int saturationSlider = 0;  // the slider position: percent * 256 / 100
};

// Presets 0..161: nine base mixes, each in eighteen arrangements (rows rotated down by 0, 1 or
// 2, then six column orders). Nothing for other indices.
inline constexpr int kPresetCount = 162;
std::optional<PresetColour> PresetColourAt(int index);

// Picks a preset: matrix, saturation slider and saturation table, then the tables from the
// matrix. False, with nothing changed, for an index outside the presets.
bool ApplyPreset(int index, Colorizer& colorizer, ColorizerSettings& settings);

// Status texts of the panel: "Hue +50%", "Brightness -20%", "Saturation +0%".
std::string HueLabel(int hue);
std::string BrightnessLabel(int offset);
std::string SaturationLabel(int saturation);

} // namespace vellum
