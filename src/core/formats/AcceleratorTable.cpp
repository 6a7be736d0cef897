// Reading and writing accelerator tables.
#include "formats/AcceleratorTable.h"

#include "common/ByteWriter.h"

namespace vellum {

namespace {

constexpr std::uint64_t kFlags = 0;
constexpr std::uint64_t kKey = 2;
constexpr std::uint64_t kCommand = 4;
constexpr std::uint64_t kPadding = 6;

} // namespace

std::optional<AcceleratorTable> AcceleratorTable::Parse(ByteView bytes) {
    AcceleratorTable table;
    for (std::uint64_t at = 0;; at += kAcceleratorEntrySize) {
        ByteView entry = bytes.Sub(at, kAcceleratorEntrySize);
        if (entry.Empty())
            return std::nullopt;
        std::uint16_t flags = entry.U16(kFlags);
        table.entries.push_back({std::uint16_t(flags & ~kAccelLast), entry.U16(kKey),
                                 entry.U16(kCommand), entry.U16(kPadding)});
        if (flags & kAccelLast) {
            ByteView rest = bytes.From(at + kAcceleratorEntrySize);
            table.trailing.assign(rest.Data(), rest.Data() + rest.Size());
            return table;
        }
    }
}

std::vector<std::uint8_t> AcceleratorTable::Serialize() const {
    std::vector<std::uint8_t> out;
    out.reserve(entries.size() * kAcceleratorEntrySize + trailing.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Accelerator& a = entries[i];
        bool last = i + 1 == entries.size();
        AppendU16(out, (a.flags & ~kAccelLast) | (last ? kAccelLast : 0));
        AppendU16(out, a.key);
        AppendU16(out, a.command);
        AppendU16(out, a.padding);
    }
    out.insert(out.end(), trailing.begin(), trailing.end());
    return out;
}

} // namespace vellum
