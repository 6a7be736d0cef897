// libFuzzer target: reads arbitrary bytes as a colorizer settings file; whatever is accepted must
// configure a colorizer, and the text written for it must read back to the same settings.
#include "common/ErrorTrail.h"
#include "imaging/ColorizeSettingsFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    vellum::ColorizeFileSettings settings;
    if (SUCCEEDED(vellum::ParseColorizeSettings(text, "fuzz.ini", &settings))) {
        vellum::Colorizer colorizer;
        vellum::ColorizerSettings panel;
        vellum::ApplyColorizeSettings(settings, colorizer, panel);
        vellum::ColorizeFileSettings again;
        std::string written = vellum::ColorizeSettingsText(settings);
        if (FAILED(vellum::ParseColorizeSettings(written, "fuzz.ini", &again)) ||
            vellum::ColorizeSettingsText(again) != written)
            std::abort();
    }
    vellum::ClearErrorTrail();
    return 0;
}
