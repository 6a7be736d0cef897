// Helpers for writing the bytes of test inputs by hand: little-endian fields and concatenation.
#pragma once

#include "common/ByteView.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vellum::test {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
    b[at] = std::uint8_t(v);
    b[at + 1] = std::uint8_t(v >> 8);
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
