// Writes colorized PNG files for the independent Python check (colorize_png_check.py): each
// image is written by Vellum's PNG writer, then recoloured in place by ColorizeFile.
#include "imaging/BmpToPng.h"
#include "imaging/Colorizer.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace vellum;

namespace {

struct Rgba {
    std::uint8_t r, g, b, a;
};

bool WriteColorized(const std::string& path, const std::vector<std::vector<Rgba>>& rows,
                    const Colorizer& colorizer) {
    ImageRecord image;
    if (!image.Allocate(std::int32_t(rows[0].size()), std::int32_t(rows.size()), 32, 0, false))
        return false;
    for (std::size_t y = 0; y < rows.size(); ++y) {
        for (std::size_t x = 0; x < rows[y].size(); ++x) {
            const Rgba& p = rows[y][x];
            std::uint8_t* out = image.rows[y] + 4 * x;
            out[0] = p.b;
            out[1] = p.g;
            out[2] = p.r;
            out[3] = p.a;
        }
    }
    return WritePng(path, image) && SUCCEEDED(ColorizeFile(colorizer, path));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder/>\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];

    Colorizer yellow;
    yellow.ConfigureFromHue(256, Brightness{});
    Colorizer saturated;
    saturated.SetSaturation(255);
    Colorizer brighter;
    brighter.ConfigureFromMatrix(kIdentityMix, Brightness{{50, 50, 50}, true, true});

    bool ok = WriteColorized(folder + "hue.png",
                             {{{200, 100, 0, 255}, {255, 0, 255, 128}, {10, 20, 30, 0}},
                              {{1, 2, 3, 7}, {255, 255, 255, 255}, {0, 0, 0, 1}}},
                             yellow) &&
              WriteColorized(folder + "saturation.png", {{{150, 120, 100, 200}, {200, 100, 0, 50}}},
                             saturated) &&
              WriteColorized(folder + "gamma.png", {{{127, 255, 0, 9}}}, brighter);
    if (!ok)
        std::fprintf(stderr, "writing or colorizing the PNG files failed\n");
    return ok ? 0 : 1;
}
