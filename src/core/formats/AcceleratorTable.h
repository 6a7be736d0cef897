// The accelerator resource (type 9): a table of keys and the commands they send.
//
//   ACCELTABLEENTRY   0 u16 flags (FVIRTKEY 0x01, FNOINVERT 0x02, FSHIFT 0x04, FCONTROL 0x08,
//                     FALT 0x10; 0x80 marks the last entry)   2 u16 key (a character or a
//                     virtual-key code)   4 u16 command ID   6 u16 padding          (8 bytes)
#pragma once

#include "common/ByteView.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace vellum {

constexpr std::uint64_t kAcceleratorEntrySize = 8;
constexpr std::uint16_t kAccelVirtKey = 0x01;
constexpr std::uint16_t kAccelNoInvert = 0x02;
constexpr std::uint16_t kAccelShift = 0x04;
constexpr std::uint16_t kAccelControl = 0x08;
constexpr std::uint16_t kAccelAlt = 0x10;
constexpr std::uint16_t kAccelLast = 0x80;

struct Accelerator {
    std::uint16_t flags = 0; // without the end flag, which belongs to the table
    std::uint16_t key = 0;
    std::uint16_t command = 0;
    std::uint16_t padding = 0; // kept as found
    bool operator==(const Accelerator&) const = default;
};

struct AcceleratorTable {
    std::vector<Accelerator> entries;
    // Bytes behind the entry with the end flag; Windows never reads them.
    std::vector<std::uint8_t> trailing;

    // The entries up to the one with the end flag; nothing when the bytes end before it.
    static std::optional<AcceleratorTable> Parse(ByteView bytes);
    // The entries, the end flag on the last one only, then the trailing bytes.
    std::vector<std::uint8_t> Serialize() const;

    bool operator==(const AcceleratorTable&) const = default;
};

} // namespace vellum
