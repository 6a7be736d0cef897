// Colorizer settings kept in a file, so that the same colours can be used again: an INI file with
// one section [Colorize]. The panel's "Save Settings..." and "Load Settings..." write and read it,
// and the command line's -Colorize: reads it.
//
//   [Colorize]
//   Hue=256                  ; -768..768; when present, the tables come from the hue
//   Preset=12                ; 0..161; its matrix and saturation; wins over Hue
//   Matrix=100 0 0 0 100 0 0 0 100 ; nine whole numbers, row-major, output rows red, green, blue;
//                            ; used when neither Hue nor Preset is given
//   BrightnessRed=0          ; -255..255, the same for BrightnessGreen and BrightnessBlue
//   Saturation=0             ; the slider value, -255..255
//   SourceBrightness=1       ; 0 or 1
//   GammaBrightness=1        ; 0 or 1
//
// Keys ignore case, blanks around '=' do not count, lines starting with ';' or '#' are comments
// and so is whatever follows ';' or '#' on a value; other sections and unknown keys are left
// alone. A missing key keeps its default: the identity matrix, no brightness offset, saturation
// 0, both flags 1. Matrix cells lie within -kMatrixCellLimit..kMatrixCellLimit and may also be
// separated by commas.
#pragma once

#include "common/Result.h"
#include "imaging/Colorizer.h"
#include "imaging/ColorizerSettings.h"

#include <optional>
#include <string>
#include <string_view>

namespace vellum {

struct ColorizeFileSettings {
    std::optional<int> hue;
    std::optional<int> preset;
    MixMatrix matrix = kIdentityMix;
    Brightness brightness; // offsets, Source and Gamma Brightness
    int saturation = 0;
};

// Reads the [Colorize] section. A missing file, a missing section, a value that is not a whole
// number or lies outside its range fails with a message in the error trail naming the file and
// the key; nothing is returned then.
HRESULT ReadColorizeSettings(const std::string& path, ColorizeFileSettings* settings);
// The same on text already in memory; `name` is the file the messages name.
HRESULT ParseColorizeSettings(std::string_view text, const std::string& name,
                              ColorizeFileSettings* settings);

// Writes the settings as above (keys that are not set are left out), replacing the file only
// once the whole text is written. Keys the reader would ignore are left out too: Matrix beside
// Hue or Preset, Saturation beside Preset. Settings the reader would refuse (a value outside its
// range) give E_INVALIDARG and write nothing.
HRESULT WriteColorizeSettings(const std::string& path, const ColorizeFileSettings& settings);
// The text WriteColorizeSettings writes, lines ending in CR LF.
std::string ColorizeSettingsText(const ColorizeFileSettings& settings);

// Configures the colorizer and the panel's settings as the controls would: a preset as picking it
// does (its own saturation in place of the file's), else the hue as a hue-slider move does, else
// the matrix; the brightness offsets and both flags come first, so that the tables use them.
// The panel's hue is 0 unless the tables come from the hue; Lock Brightness is left as it is.
void ApplyColorizeSettings(const ColorizeFileSettings& file, Colorizer& colorizer,
                           ColorizerSettings& panel);

// What the panel holds, for saving: `hueActive` tells whether the matrix came from the hue slider
// (then Hue is written) or was typed or picked (then Matrix is written). Hue is written only
// while the matrix is still the hue's own: a darkening linear offset makes the matrix read back
// from the tables smaller than the hue's, and the tables the panel then builds come from that
// matrix, so the file keeps the matrix and loads into the same tables.
ColorizeFileSettings FileSettingsOf(const ColorizerSettings& panel, bool hueActive);

} // namespace vellum
