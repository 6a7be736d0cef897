// Reading animated cursors.
#include "formats/AniCursor.h"

#include <algorithm>
#include <string_view>

namespace vellum {

namespace {

constexpr std::uint64_t kChunkHeader = 8;
constexpr std::uint64_t kAniDisplayRate = 28;

struct Chunk {
    std::string_view id;
    ByteView data;
};

// The chunks one after another inside `bytes`; a chunk running past the end is cut to it.
std::vector<Chunk> Chunks(ByteView bytes) {
    std::vector<Chunk> chunks;
    std::uint64_t at = 0;
    while (bytes.Has(at, kChunkHeader)) {
        std::string_view id = bytes.Sub(at, 4).Chars();
        std::uint64_t size = bytes.U32(at + 4);
        ByteView rest = bytes.From(at + kChunkHeader);
        chunks.push_back({id, rest.Sub(0, std::min<std::uint64_t>(size, rest.Size()))});
        at += kChunkHeader + size + (size & 1);
    }
    return chunks;
}

std::vector<std::uint32_t> Words(ByteView data) {
    std::vector<std::uint32_t> words;
    for (std::uint64_t at = 0; data.Has(at, 4); at += 4)
        words.push_back(data.U32(at));
    return words;
}

} // namespace

std::optional<AniCursor> AniCursor::Read(ByteView file) {
    if (!file.Has(0, 12) || file.Sub(0, 4).Chars() != "RIFF" || file.Sub(8, 4).Chars() != "ACON")
        return std::nullopt;
    // The RIFF's size counts its form type and chunks; it is believed only as far as the file goes.
    std::uint64_t riffSize = std::min<std::uint64_t>(file.U32(4), file.Size() - 8);
    AniCursor ani;
    for (const Chunk& chunk : Chunks(file.Sub(12, riffSize < 4 ? 0 : riffSize - 4))) {
        if (chunk.id == "anih" && chunk.data.Has(kAniDisplayRate, 4) &&
            chunk.data.U32(kAniDisplayRate) != 0)
            ani.displayRate = chunk.data.U32(kAniDisplayRate);
        else if (chunk.id == "rate")
            ani.rates = Words(chunk.data);
        else if (chunk.id == "seq ")
            ani.sequence = Words(chunk.data);
        else if (chunk.id == "LIST" && chunk.data.Sub(0, 4).Chars() == "fram")
            for (const Chunk& frame : Chunks(chunk.data.From(4)))
                if (frame.id == "icon" && !frame.data.Empty())
                    ani.frames.push_back(frame.data);
    }
    if (ani.frames.empty())
        return std::nullopt;
    return ani;
}

std::vector<AniCursor::Step> AniCursor::Steps() const {
    std::vector<Step> steps;
    std::size_t count = sequence.empty() ? frames.size() : sequence.size();
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t frame = sequence.empty() ? i : sequence[i];
        if (frame >= frames.size())
            continue;
        std::uint32_t jiffies = i < rates.size() ? rates[i] : displayRate;
        steps.push_back({frame, std::max<std::uint32_t>(jiffies, 1)});
    }
    return steps;
}

} // namespace vellum
