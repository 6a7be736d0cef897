// libFuzzer target: recolours arbitrary bytes as a packed DIB, as an icon image, and as .ico and
// .bmp files. The first three bytes choose the hue, the saturation and the brightness mode.
#include "imaging/Colorizer.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string TempPath(const char* extension) {
    const char* folder = std::getenv("TMPDIR");
    std::string base = (folder && *folder) ? folder : "/tmp";
    return base + "/vellum-fuzz-" + std::to_string(getpid()) + extension;
}

void ColorizeAsFile(const vellum::Colorizer& colorizer, const std::uint8_t* data, std::size_t size,
                    const char* extension) {
    static const std::string icon = TempPath(".ico");
    static const std::string bitmap = TempPath(".bmp");
    const std::string& path = extension[1] == 'i' ? icon : bitmap;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    vellum::ColorizeFile(colorizer, path);
    std::remove(path.c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    vellum::Colorizer colorizer;
    vellum::Brightness brightness{
        {data[1] - 128, 0, 128 - data[1]}, (data[2] & 1) != 0, (data[2] & 2) != 0};
    colorizer.ConfigureFromHue(data[0] * 6, brightness);
    colorizer.SetSaturation(data[1] - 128);
    const std::uint8_t* body = data + 3;
    std::size_t length = size - 3;
    std::vector<std::uint8_t> dib(body, body + length);
    switch (data[2] >> 2 & 3) {
    case 0:
        colorizer.ColorizeDib(dib.data(), dib.size());
        break;
    case 1:
        colorizer.ColorizeIconImage(dib.data(), dib.size());
        break;
    case 2:
        ColorizeAsFile(colorizer, body, length, ".ico");
        break;
    default:
        ColorizeAsFile(colorizer, body, length, ".bmp");
        break;
    }
    return 0;
}
