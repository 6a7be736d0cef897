// Reading and writing the [Colorize] section of a colorizer settings file.
#include "imaging/ColorizeSettingsFile.h"

#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/IniFile.h"
#include "common/Strings.h"
#include "common/TrailModules.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace vellum {

namespace {

constexpr const char* kModule = trail::kColorizer;
constexpr const char* kSection = "Colorize";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF"; // editors on Windows like to add it

constexpr int kHueLimit = 768;
constexpr int kOffsetLimit = 255;
const char* const kOffsetKeys[3] = {"BrightnessRed", "BrightnessGreen", "BrightnessBlue"};

std::string_view TrimBlanks(std::string_view text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A whole number in base 10 with an optional sign, and nothing else.
std::optional<int> WholeNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-')
            return std::nullopt;
    }
    int value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end)
        return std::nullopt;
    return value;
}

// The cells of a matrix value, separated by blanks or commas.
std::vector<std::string_view> SplitCells(std::string_view text) {
    std::vector<std::string_view> cells;
    constexpr std::string_view kSeparators = " \t,";
    for (std::size_t start = text.find_first_not_of(kSeparators); start != std::string_view::npos;
         start = text.find_first_not_of(kSeparators, start)) {
        std::size_t end = std::min(text.find_first_of(kSeparators, start), text.size());
        cells.push_back(text.substr(start, end - start));
        start = end;
    }
    return cells;
}

// The keys of the section, looked up without case, each value checked against its range. Every
// refusal names the file and the key.
class SectionReader {
public:
    SectionReader(std::vector<IniEntry> entries, const std::string& name)
        : entries_(std::move(entries)), name_(name) {}

    // Leaves `value` alone when the key is missing.
    HRESULT Number(const char* key, int low, int high, int* value) const {
        std::optional<std::string> text = Find(key);
        if (!text)
            return S_OK;
        std::optional<int> number = WholeNumber(*text);
        if (!number || *number < low || *number > high)
            return Refuse(key, *text, Format("a whole number from %d to %d", low, high));
        *value = *number;
        return S_OK;
    }

    HRESULT Optional(const char* key, int low, int high, std::optional<int>* value) const {
        if (!Find(key))
            return S_OK;
        int number = 0;
        HRESULT hr = Number(key, low, high, &number);
        if (SUCCEEDED(hr))
            *value = number;
        return hr;
    }

    HRESULT Flag(const char* key, bool* value) const {
        int number = *value ? 1 : 0;
        HRESULT hr = Number(key, 0, 1, &number);
        *value = number != 0;
        return hr;
    }

    HRESULT Matrix(MixMatrix* matrix) const {
        std::optional<std::string> text = Find("Matrix");
        if (!text)
            return S_OK;
        std::vector<std::string_view> cells = SplitCells(*text);
        MixMatrix read{};
        bool valid = cells.size() == 9;
        for (std::size_t i = 0; valid && i < cells.size(); ++i) {
            std::optional<int> cell = WholeNumber(cells[i]);
            valid = cell && *cell >= -kMatrixCellLimit && *cell <= kMatrixCellLimit;
            read[i / 3][i % 3] = cell.value_or(0);
        }
        if (!valid)
            return Refuse(
                "Matrix", *text,
                Format("nine whole numbers from %d to %d", -kMatrixCellLimit, kMatrixCellLimit));
        *matrix = read;
        return S_OK;
    }

private:
    // The value without a comment after it.
    std::optional<std::string> Find(std::string_view key) const {
        for (const IniEntry& entry : entries_) {
            std::string_view value = entry.value;
            if (EqualsNoCase(entry.key, key))
                return std::string(TrimBlanks(value.substr(0, value.find_first_of(";#"))));
        }
        return std::nullopt;
    }

    HRESULT Refuse(const char* key, const std::string& text, const std::string& wanted) const {
        ReportError(kModule, __LINE__, E_INVALIDARG, "%s: %s is \"%s\"; it must be %s.\n",
                    name_.c_str(), key, text.c_str(), wanted.c_str());
        return E_INVALIDARG;
    }

    std::vector<IniEntry> entries_;
    std::string name_;
};

HRESULT ReadSection(const SectionReader& reader, ColorizeFileSettings* read) {
    HRESULT hr = reader.Optional("Preset", 0, kPresetCount - 1, &read->preset);
    if (SUCCEEDED(hr))
        hr = reader.Optional("Hue", -kHueLimit, kHueLimit, &read->hue);
    if (SUCCEEDED(hr))
        hr = reader.Matrix(&read->matrix);
    for (int channel = 0; channel < 3 && SUCCEEDED(hr); ++channel)
        hr = reader.Number(kOffsetKeys[channel], -kOffsetLimit, kOffsetLimit,
                           &read->brightness.offsets[channel]);
    if (SUCCEEDED(hr))
        hr = reader.Number("Saturation", -kOffsetLimit, kOffsetLimit, &read->saturation);
    if (SUCCEEDED(hr))
        hr = reader.Flag("SourceBrightness", &read->brightness.source);
    if (SUCCEEDED(hr))
        hr = reader.Flag("GammaBrightness", &read->brightness.gamma);
    return hr;
}

} // namespace

HRESULT ParseColorizeSettings(std::string_view text, const std::string& name,
                              ColorizeFileSettings* settings) {
    if (text.starts_with(kUtf8Mark))
        text.remove_prefix(kUtf8Mark.size());
    std::optional<std::vector<IniEntry>> entries = ReadIniSection(text, kSection);
    if (!entries) {
        ReportError(kModule, __LINE__, E_INVALIDARG,
                    "%s has no [Colorize] section; it is not a colorizer settings file.\n",
                    name.c_str());
        return E_INVALIDARG;
    }
    ColorizeFileSettings read;
    HRESULT hr = ReadSection(SectionReader(std::move(*entries), name), &read);
    if (SUCCEEDED(hr))
        *settings = read;
    return hr;
}

HRESULT ReadColorizeSettings(const std::string& path, ColorizeFileSettings* settings) {
    std::vector<std::uint8_t> bytes;
    if (HRESULT hr = ReadWholeFile(path, bytes); FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Cannot read the colorizer settings %s\n", path.c_str());
        return hr;
    }
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return ParseColorizeSettings(text, path, settings);
}

std::string ColorizeSettingsText(const ColorizeFileSettings& settings) {
    std::string text = "[Colorize]\r\n";
    if (settings.preset)
        text += Format("Preset=%d\r\n", *settings.preset);
    if (settings.hue)
        text += Format("Hue=%d\r\n", *settings.hue);
    if (!settings.preset && !settings.hue) {
        text += "Matrix=";
        for (int cell = 0; cell < 9; ++cell)
            text += Format(cell ? " %d" : "%d", int(settings.matrix[cell / 3][cell % 3]));
        text += "\r\n";
    }
    for (int channel = 0; channel < 3; ++channel)
        text += Format("%s=%d\r\n", kOffsetKeys[channel], settings.brightness.offsets[channel]);
    if (!settings.preset)
        text += Format("Saturation=%d\r\n", settings.saturation);
    text += Format("SourceBrightness=%d\r\n", settings.brightness.source ? 1 : 0);
    text += Format("GammaBrightness=%d\r\n", settings.brightness.gamma ? 1 : 0);
    return text;
}

HRESULT WriteColorizeSettings(const std::string& path, const ColorizeFileSettings& settings) {
    // Read back before writing, so that no file is written that could not be loaded again.
    std::string text = ColorizeSettingsText(settings);
    ColorizeFileSettings check;
    HRESULT hr = ParseColorizeSettings(text, path, &check);
    if (SUCCEEDED(hr))
        hr = ReplaceFileContents(path, text.data(), text.size());
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr, "Cannot write the colorizer settings %s\n",
                    path.c_str());
    return hr;
}

void ApplyColorizeSettings(const ColorizeFileSettings& file, Colorizer& colorizer,
                           ColorizerSettings& panel) {
    panel.brightness = file.brightness;
    panel.hue = 0;
    if (file.preset && ApplyPreset(*file.preset, colorizer, panel))
        return;
    panel.saturation = file.saturation;
    colorizer.SetSaturation(panel.saturation);
    if (file.hue) {
        panel.hue = *file.hue;
        ConfigureFromHue(colorizer, panel);
    } else {
        panel.matrix = file.matrix;
        ConfigureFromMatrix(colorizer, panel);
    }
}

ColorizeFileSettings FileSettingsOf(const ColorizerSettings& panel, bool hueActive) {
    ColorizeFileSettings file;
    if (hueActive && HueMatrix(panel.hue) == panel.matrix)
        file.hue = panel.hue;
    file.matrix = panel.matrix;
    file.brightness = panel.brightness;
    file.saturation = panel.saturation;
    return file;
}

} // namespace vellum
