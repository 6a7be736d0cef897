// Colorizing a 4096 x 4096 32-bit DIB in memory (hue and saturation) against a plain pass that
// reads and writes every pixel of the same block; the program prints the ratio of the two.
//
// The plain pass swaps red and blue in each 32-bit pixel: one read and one write per pixel and
// nothing else, which the compiler turns into vector code running at memory speed. Each
// benchmark repeats and the fastest repetition counts, so that neighbours on a shared machine
// do not decide the ratio.
#include "FastestRunReporter.h"
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
constexpr std::size_t kHeaderSize = 40;

// A deterministic generator, so every run colorizes the same pixels.
class Lcg {
public:
    std::uint32_t Next() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::uint32_t>(state_ >> 32);
    }

private:
    std::uint64_t state_ = 0x5eed;
};

void PutLe(std::uint8_t* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[i] = std::uint8_t(value >> (8 * i));
}

// BITMAPINFOHEADER (size, width, height, planes 1 and 32 bits, the rest 0) and random pixels.
std::vector<std::uint8_t> MakeDib() {
    std::vector<std::uint8_t> dib(kHeaderSize + std::size_t(kSide) * kSide * 4);
    PutLe(&dib[0], kHeaderSize);
    PutLe(&dib[4], kSide);
    PutLe(&dib[8], kSide);
    PutLe(&dib[12], 1 | 32 << 16);
    Lcg random;
    for (std::size_t i = kHeaderSize; i < dib.size(); i += 4)
        PutLe(&dib[i], random.Next());
    return dib;
}

std::vector<std::uint8_t>& Dib() {
    static std::vector<std::uint8_t> dib = MakeDib();
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

void Register(const char* name, void (*run)(benchmark::State&)) {
    benchmark::RegisterBenchmark(name, run)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(15)
        ->ComputeStatistics(
            "min",
            [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
        ->ReportAggregatesOnly(true);
}

} // namespace

int main(int argc, char** argv) {
    Dib(); // built before any timing
    Register("plain_pass_4096x4096", PlainPass);
    Register("colorize_hue_saturation_4096x4096", Colorize);
    benchmark::Initialize(&argc, argv);
    FastestRunReporter collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();

    double plain = collector.Fastest("plain_pass_4096x4096");
    double colorize = collector.Fastest("colorize_hue_saturation_4096x4096");
    if (plain > 0 && colorize > 0)
        std::printf("colorize ratio (colorize/plain pass): %.2f  (colorize %.1f ms, plain %.1f "
                    "ms; target 3.00 or less)\n",
                    colorize / plain, colorize, plain);
    return 0;
}
