// A small deterministic generator, so every benchmark run works on the same data.
#pragma once

#include <cstdint>

class Lcg {
public:
    std::uint32_t Next() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::uint32_t>(state_ >> 32);
    }

private:
    std::uint64_t state_ = 0x5eed;
};
