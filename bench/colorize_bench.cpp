// Colorizing a 4096 x 4096 32-bit DIB in memory (hue and saturation) against a plain pass that
// reads and writes every pixel of the same block; the program prints the ratio of the two.
//
// The plain pass swaps red and blue in each 32-bit pixel: one read and one write per pixel and
// nothing else, which the compiler turns into vector code running at memory speed. Each
// benchmark repeats and the fastest repetition counts, so that neighbours on a shared machine
// do not decide the ratio.
#include "FastestRunReporter.h"
#include "RandomDib.h"
#include "imaging/Colorizer.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kSide = 4096;
constexpr std::size_t kHeaderSize = kRandomDibHeaderSize;

std::vector<std::uint8_t>& Dib() {
    static std::vector<std::uint8_t> dib = RandomDib32(kSide);
    return dib;
}

void PlainPass(benchmark::State& state) {
    std::vector<std::uint8_t>& dib = Dib();
    std::size_t count = (dib.size() - kHeaderSize) / 4;
    for (auto _ : state) {
        std::uint8_t* pixels = dib.data() + kHeaderSize;
        for (std::size_t i = 0; i < count; ++i) {
            std::uint32_t v;
            std::memcpy(&v, pixels + 4 * i, 4);
            v = (v & 0xFF00FF00u) | (v >> 16 & 0xFFu) | (v & 0xFFu) << 16;
            std::memcpy(pixels + 4 * i, &v, 4);
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * (dib.size() - kHeaderSize)));
}

void Colorize(benchmark::State& state) {
    vellum::Colorizer colorizer;
    colorizer.ConfigureFromHue(300, vellum::Brightness{{20, 0, -10}, true, true});
    colorizer.SetSaturation(100);
    std::vector<std::uint8_t>& dib = Dib();
    for (auto _ : state) {
        if (FAILED(colorizer.ColorizeDib(dib.data(), dib.size())))
            state.SkipWithError("ColorizeDib failed");
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * (dib.size() - kHeaderSize)));
}

} // namespace

int main(int argc, char** argv) {
    Dib(); // built before any timing
    RegisterFastestOf15("plain_pass_4096x4096", PlainPass);
    RegisterFastestOf15("colorize_hue_saturation_4096x4096", Colorize);
    FastestRunReporter collector;
    RunBenchmarks(argc, argv, collector);

    double plain = collector.Fastest("plain_pass_4096x4096");
    double colorize = collector.Fastest("colorize_hue_saturation_4096x4096");
    if (plain > 0 && colorize > 0)
        std::printf("colorize ratio (colorize/plain pass): %.2f  (colorize %.1f ms, plain %.1f "
                    "ms; target 3.00 or less)\n",
                    colorize / plain, colorize, plain);
    return 0;
}
