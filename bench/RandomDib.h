// The 32-bit DIBs the imaging benchmarks work on: the same random pixels in every run.
#pragma once

#include "Lcg.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// BITMAPINFOHEADER without a colour table.
constexpr std::size_t kRandomDibHeaderSize = 40;

inline void PutLe(std::uint8_t* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[i] = std::uint8_t(value >> (8 * i));
}

// BITMAPINFOHEADER (size, width, height, planes 1 and 32 bits, the rest 0) and random pixels,
// alpha included.
inline std::vector<std::uint8_t> RandomDib32(std::int32_t side) {
    std::vector<std::uint8_t> dib(kRandomDibHeaderSize + std::size_t(side) * side * 4);
    PutLe(&dib[0], kRandomDibHeaderSize);
    PutLe(&dib[4], std::uint32_t(side));
    PutLe(&dib[8], std::uint32_t(side));
    PutLe(&dib[12], 1 | 32 << 16);
    Lcg random;
    for (std::size_t i = kRandomDibHeaderSize; i < dib.size(); i += 4)
        PutLe(&dib[i], random.Next());
    return dib;
}
