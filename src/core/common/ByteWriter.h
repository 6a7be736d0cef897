// Little-endian integers appended to a byte vector, as every binary format here stores them.
#pragma once

#include <cstdint>
#include <vector>

namespace vellum {

inline void AppendU16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

inline void AppendU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    AppendU16(out, value & 0xFFFF);
    AppendU16(out, value >> 16);
}

} // namespace vellum
