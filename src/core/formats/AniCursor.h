// Animated cursors (.ani): a RIFF file of form "ACON" whose frames are whole .ico or .cur files.
//
//   RIFF chunk   4 chars id, u32 data bytes, the data, one pad byte when the size is odd
//   "RIFF"       data: 4 chars form "ACON", then chunks
//   "anih"       0 u32 header bytes (36)   4 u32 frames   8 u32 steps   12 u32 width
//               16 u32 height   20 u32 bit count   24 u32 planes   28 u32 display rate (jiffies,
//               1/60 s)   32 u32 flags (bit 0: frames are icon files, bit 1: a "seq " chunk)
//   "LIST"       data: 4 chars list type; "fram" holds one "icon" chunk per frame
//   "rate"       one u32 display rate per step
//   "seq "       one u32 frame index per step
#pragma once

#include "common/ByteView.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace vellum {

// Jiffies a step is shown when the file says nothing (a tenth of a second).
constexpr std::uint32_t kDefaultAniRate = 6;

struct AniCursor {
    std::vector<ByteView> frames; // each an .ico or .cur file, inside the bytes read
    std::uint32_t displayRate = kDefaultAniRate;
    std::vector<std::uint32_t> rates;    // per step; empty: displayRate for every step
    std::vector<std::uint32_t> sequence; // frame of each step; empty: the frames in order

    // Nothing unless the bytes are a RIFF "ACON" holding at least one frame. Chunks are walked
    // only as far as they lie inside the bytes (and the RIFF's own size).
    static std::optional<AniCursor> Read(ByteView file);

    // The steps of one loop: frame index and duration in jiffies (at least 1), leaving out
    // sequence entries that name no frame.
    struct Step {
        std::size_t frame = 0;
        std::uint32_t jiffies = 0;
    };
    std::vector<Step> Steps() const;
};

} // namespace vellum
