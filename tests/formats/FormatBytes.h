// Helpers for writing the bytes of test inputs by hand: little-endian fields and concatenation.
#pragma once

#include "common/ByteView.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vellum::test {

using Bytes = std::vector<std::uint8_t>;

// Writes past the end are test mistakes; at() turns them into a failure instead of corruption.
inline void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
    b.at(at) = std::uint8_t(v);
    b.at(at + 1) = std::uint8_t(v >> 8);
}

inline void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
    Put16(b, at, v);
    Put16(b, at + 2, v >> 16);
}

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline ByteView View(const Bytes& b) {
    return ByteView(b.data(), b.size());
}

} // namespace vellum::test
