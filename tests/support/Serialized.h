// The bytes a parse/serialise view writes, for comparing with golden bytes: a failed write is a
// test failure and compares as no bytes.
#pragma once

#include <cstdint>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace vellum::test {

template <class Format> std::vector<std::uint8_t> Serialized(const Format& format) {
    std::optional<std::vector<std::uint8_t>> bytes = format.Serialize();
    EXPECT_TRUE(bytes) << "the structure could not be written";
    return bytes.value_or(std::vector<std::uint8_t>{});
}

} // namespace vellum::test
