// A vector version of the colorizer's pixel transform for 32-bit pixels, used when the processor
// has AVX2 and FMA. It computes exactly what the scalar transform computes for tables whose entries
// are not negative and whose row sums stay below 2^21 (the same condition as the packed tables).
#pragma once

#include <cstddef>
#include <cstdint>

namespace vellum {

struct SimdColorTables {
    // Per input channel (red, green, blue) 256 words holding the red, green and blue output
    // contributions in 21-bit lanes (bits 0, 21 and 42).
    const std::uint64_t* packed;
    // Null, or the red and green contributions summed for every pair: word 256 * red + green.
    // Worth building for large images: it saves a look-up per pixel.
    const std::uint64_t* redGreen;
    int saturation; // 0: no saturation step
};

// True when this processor can run ColorizeBgraVector.
bool HasVectorColorizer();

// Transforms the pixels (blue, green, red, alpha; alpha kept) in groups of eight and returns
// how many it did; the caller transforms the rest.
std::size_t ColorizeBgraVector(const SimdColorTables& tables, std::uint8_t* pixels,
                               std::size_t count);

} // namespace vellum
