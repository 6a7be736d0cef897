// The winver.h names of the fixed file information's values.
#include "formats/VersionNames.h"

#include "common/Strings.h"

namespace vellum {

namespace {

constexpr VersionName kFileOs[] = {
    {"VOS_UNKNOWN", 0x00000},
    {"VOS_DOS", 0x10000},
    {"VOS_OS216", 0x20000},
    {"VOS_OS232", 0x30000},
    {"VOS_NT", 0x40000},
    {"VOS_WINCE", 0x50000},
    {"VOS__WINDOWS16", 0x00001},
    {"VOS__PM16", 0x00002},
    {"VOS__PM32", 0x00003},
    {"VOS__WINDOWS32", 0x00004},
    {"VOS_DOS_WINDOWS16", 0x10001},
    {"VOS_DOS_WINDOWS32", 0x10004},
    {"VOS_OS216_PM16", 0x20002},
    {"VOS_OS232_PM32", 0x30003},
    {"VOS_NT_WINDOWS32", 0x40004},
    // Spellings some older forms use; read, never written, since the first name of a value wins.
    {"VOS_WINDOWS16", 0x00001},
    {"VOS_OS216_PM32", 0x30003},
};

constexpr VersionName kFileType[] = {
    {"VFT_UNKNOWN", 0}, {"VFT_APP", 1}, {"VFT_DLL", 2},        {"VFT_DRV", 3},
    {"VFT_FONT", 4},    {"VFT_VXD", 5}, {"VFT_STATIC_LIB", 7},
};

constexpr VersionName kDriverSubtype[] = {
    {"VFT2_UNKNOWN", 0x0},
    {"VFT2_DRV_PRINTER", 0x1},
    {"VFT2_DRV_KEYBOARD", 0x2},
    {"VFT2_DRV_LANGUAGE", 0x3},
    {"VFT2_DRV_DISPLAY", 0x4},
    {"VFT2_DRV_MOUSE", 0x5},
    {"VFT2_DRV_NETWORK", 0x6},
    {"VFT2_DRV_SYSTEM", 0x7},
    {"VFT2_DRV_INSTALLABLE", 0x8},
    {"VFT2_DRV_SOUND", 0x9},
    {"VFT2_DRV_COMM", 0xA},
    {"VFT2_DRV_INPUTMETHOD", 0xB},
    {"VFT2_DRV_VERSIONED_PRINTER", 0xC},
};

constexpr VersionName kFontSubtype[] = {
    {"VFT2_UNKNOWN", 0},
    {"VFT2_FONT_RASTER", 1},
    {"VFT2_FONT_VECTOR", 2},
    {"VFT2_FONT_TRUETYPE", 3},
};

constexpr VersionName kUnknownSubtype[] = {{"VFT2_UNKNOWN", 0}};

constexpr VersionName kFileFlags[] = {
    {"VS_FF_DEBUG", 0x01},        {"VS_FF_PRERELEASE", 0x02},   {"VS_FF_PATCHED", 0x04},
    {"VS_FF_PRIVATEBUILD", 0x08}, {"VS_FF_INFOINFERRED", 0x10}, {"VS_FF_SPECIALBUILD", 0x20},
};

constexpr std::uint32_t kFileTypeDriver = 3;
constexpr std::uint32_t kFileTypeFont = 4;

} // namespace

std::span<const VersionName> FileOsNames() {
    return kFileOs;
}

std::span<const VersionName> FileTypeNames() {
    return kFileType;
}

std::span<const VersionName> FileSubtypeNames(std::uint32_t fileType) {
    if (fileType == kFileTypeDriver)
        return kDriverSubtype;
    if (fileType == kFileTypeFont)
        return kFontSubtype;
    return kUnknownSubtype;
}

std::span<const VersionName> FileFlagNames() {
    return kFileFlags;
}

std::optional<std::string_view> NameOfValue(std::span<const VersionName> table,
                                            std::uint32_t value) {
    for (const VersionName& entry : table)
        if (entry.value == value)
            return entry.name;
    return std::nullopt;
}

std::optional<std::uint32_t> ValueOfName(std::span<const VersionName> table,
                                         std::string_view name) {
    for (const VersionName& entry : table)
        if (EqualsNoCase(entry.name, name))
            return entry.value;
    return std::nullopt;
}

} // namespace vellum
