// The names winver.h gives the FILEOS, FILETYPE, FILESUBTYPE and FILEFLAGS values of
// VS_FIXEDFILEINFO, mapped both ways.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace vellum {

struct VersionName {
    std::string_view name;
    std::uint32_t value;
};

// Every FILEOS name with its value, combined systems included ("VOS_NT_WINDOWS32" 0x40004).
std::span<const VersionName> FileOsNames();
// FILETYPE: VFT_UNKNOWN 0 ... VFT_VXD 5, VFT_STATIC_LIB 7 (6 has no name).
std::span<const VersionName> FileTypeNames();
// FILESUBTYPE names mean something for drivers (VFT2_DRV_*) and fonts (VFT2_FONT_*) only.
std::span<const VersionName> FileSubtypeNames(std::uint32_t fileType);
// The VS_FF_* bits of FILEFLAGS.
std::span<const VersionName> FileFlagNames();

// The name of a value in one of the tables; nothing for a value the table does not hold.
std::optional<std::string_view> NameOfValue(std::span<const VersionName> table,
                                            std::uint32_t value);
// The value of a name (compared without regard to case); nothing for an unknown name.
std::optional<std::uint32_t> ValueOfName(std::span<const VersionName> table, std::string_view name);

} // namespace vellum
