// The check every resource-template fuzz target makes: what parses must serialise, parse again
// to the same structure, and serialise again to the same bytes. Padding the input held need not
// survive, so the first bytes are not compared with the input.
#pragma once

#include "common/ByteView.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace vellum::fuzz {

inline std::optional<std::vector<std::uint8_t>> AsOptional(std::vector<std::uint8_t> bytes) {
    return bytes;
}
inline std::optional<std::vector<std::uint8_t>>
AsOptional(std::optional<std::vector<std::uint8_t>> bytes) {
    return bytes;
}

template <class Format> void CheckRoundTrip(ByteView bytes) {
    std::optional<Format> parsed = Format::Parse(bytes);
    if (!parsed)
        return;
    std::optional<std::vector<std::uint8_t>> written = AsOptional(parsed->Serialize());
    if (!written)
        __builtin_trap();
    std::optional<Format> again = Format::Parse(ByteView(written->data(), written->size()));
    if (!again || !(*again == *parsed))
        __builtin_trap();
    if (AsOptional(again->Serialize()) != written)
        __builtin_trap();
}

} // namespace vellum::fuzz
