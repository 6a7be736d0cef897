// Builds string-table resources for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vellum::test {

// A string block as a resource holds it: 16 strings, each a u16 length and UTF-16 code units.
inline std::vector<std::uint8_t> StringBlock(const std::vector<std::u16string>& strings) {
    std::vector<std::uint8_t> b;
    for (std::size_t i = 0; i < 16; ++i) {
        std::u16string s = i < strings.size() ? strings[i] : u"";
        b.push_back(std::uint8_t(s.size()));
        b.push_back(std::uint8_t(s.size() >> 8));
        for (char16_t c : s) {
            b.push_back(std::uint8_t(c));
            b.push_back(std::uint8_t(c >> 8));
        }
    }
    return b;
}

} // namespace vellum::test
