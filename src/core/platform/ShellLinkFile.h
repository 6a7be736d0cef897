// ShellLinkFile: the Windows shell link (.lnk) format, read for its target and icon and edited
// to carry another icon, byte for byte otherwise. The Wine-prefix backend uses it where Windows
// has IShellLink; the layout is the published [MS-SHLLINK] one:
//
//   ShellLinkHeader     76 bytes: HeaderSize 0x4C, LinkCLSID 00021401-0000-0000-C000-000000000046,
//                       LinkFlags (20), FileAttributes, three FILETIMEs, FileSize,
//                       IconIndex (56, signed), ShowCommand, HotKey, three reserved fields
//   LinkTargetIDList    when HasLinkTargetIDList: IDListSize (u16), then items (u16 size
//                       counting itself, data) up to a zero-sized terminal item
//   LinkInfo            when HasLinkInfo: LinkInfoSize, LinkInfoHeaderSize, flags and offsets of
//                       VolumeID, LocalBasePath, CommonNetworkRelativeLink, CommonPathSuffix
//                       (and their Unicode forms when the header is 0x24 bytes or more)
//   StringData          NAME_STRING, RELATIVE_PATH, WORKING_DIR, COMMAND_LINE_ARGUMENTS,
//                       ICON_LOCATION, each present when its flag is set, in this order: a u16
//                       character count, then UTF-16LE (IsUnicode) or ANSI characters, no NUL
//   ExtraData           blocks (u32 BlockSize, u32 BlockSignature, data) until a terminal
//                       block whose size is below 4
//
// ANSI strings are taken as Windows-1252, the code page of English Wine prefixes.
#pragma once

#include "common/Result.h"
#include "platform/WindowsSystem.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellum {

namespace shell_link {
constexpr std::uint32_t kHasLinkTargetIdList = 0x00000001;
constexpr std::uint32_t kHasLinkInfo = 0x00000002;
constexpr std::uint32_t kHasName = 0x00000004;
constexpr std::uint32_t kHasRelativePath = 0x00000008;
constexpr std::uint32_t kHasWorkingDir = 0x00000010;
constexpr std::uint32_t kHasArguments = 0x00000020;
constexpr std::uint32_t kHasIconLocation = 0x00000040;
constexpr std::uint32_t kIsUnicode = 0x00000080;
constexpr std::uint32_t kForceNoLinkInfo = 0x00000100;
constexpr std::uint32_t kHasExpIcon = 0x00004000;

constexpr std::uint32_t kEnvironmentBlock = 0xA0000001;
constexpr std::uint32_t kIconEnvironmentBlock = 0xA0000007;

constexpr std::size_t kHeaderSize = 0x4C;
constexpr std::size_t kFlagsOffset = 20;
constexpr std::size_t kIconIndexOffset = 56;
} // namespace shell_link

// A new link to `target` (a full Windows path) with `description` as its name string: the
// header, a LinkInfo with a fixed-drive VolumeID and the target as LocalBasePath, NAME_STRING in
// UTF-16, the terminal block. The shell finds the target through LinkInfo alone. Nothing when the
// target has characters Windows-1252 cannot hold (LocalBasePath is ANSI) or a string is too long.
std::optional<std::vector<std::uint8_t>> MakeShellLink(const std::string& target,
                                                       const std::string& description);

class ShellLinkFile {
public:
    // Takes the bytes and checks the whole structure; on failure *error says what is wrong and
    // at which offset, and the object holds nothing.
    HRESULT Parse(std::vector<std::uint8_t> bytes, std::string* error);

    // The raw target: LinkInfo's local base path and common path suffix (or its network share
    // name and suffix); without LinkInfo, the file-system path the IDList spells with drive and
    // file items; failing both, the EnvironmentVariableDataBlock's unexpanded target; else empty.
    // The icon location is ICON_LOCATION, or the IconEnvironmentDataBlock's unexpanded text when
    // HasExpIcon makes the shell use that instead.
    const ShortcutInfo& Info() const { return info_; }

    // Sets HasIconLocation, replaces ICON_LOCATION or adds it after the other strings, and sets
    // IconIndex. An IconEnvironmentDataBlock would override the new location, so it is dropped
    // and HasExpIcon cleared; every other byte stays as it was. Fails (changing nothing) when
    // the location is longer than a string can be or, in an ANSI link, holds characters that
    // Windows-1252 cannot hold.
    HRESULT SetIcon(std::string_view location, int index, std::string* error);

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

private:
    struct Range {
        std::size_t offset = 0;
        std::size_t size = 0;
        std::size_t End() const { return offset + size; }
    };
    struct Block {
        Range range;
        std::uint32_t signature = 0;
    };

    bool ParseIdList(std::size_t* offset, std::string* error);
    bool ParseLinkInfo(std::size_t* offset, std::string* error);
    bool ParseStrings(std::size_t* offset, std::string* error);
    bool ParseExtraData(std::size_t offset, std::string* error);
    std::string StringText(const Range& range) const;
    const Block* FindBlock(std::uint32_t signature) const;
    std::string BlockTarget(const Block& block) const;

    std::vector<std::uint8_t> bytes_;
    std::uint32_t flags_ = 0;
    Range idList_;
    std::string idListTarget_;
    std::string linkInfoTarget_;
    // NAME_STRING .. ICON_LOCATION, each with its count field; nothing when absent.
    std::array<std::optional<Range>, 5> strings_;
    std::size_t extraDataStart_ = 0;
    std::vector<Block> blocks_;
    ShortcutInfo info_;
};

// The same on files, through the error trail (module "ShellLink"). Setting the icon writes a
// temporary file beside the link and renames it over the link.
HRESULT ReadShellLinkFile(const std::string& hostPath, ShortcutInfo* info);
HRESULT SetShellLinkFileIcon(const std::string& hostPath, std::string_view location, int index);

} // namespace vellum
