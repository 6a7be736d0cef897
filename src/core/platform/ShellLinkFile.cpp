// ShellLinkFile: parsing shell links with every offset checked, and setting their icon.
#include "platform/ShellLinkFile.h"

#include "common/ByteView.h"
#include "common/CodePage.h"
#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Strings.h"
#include "common/TrailModules.h"

#include <cstring>
#include <filesystem>

namespace vellum {

namespace {

using namespace shell_link;

constexpr const char* kModule = trail::kShellLink;
constexpr unsigned kAnsiCodePage = 1252;
// Links are a few kilobytes; anything this large is not one.
constexpr std::uintmax_t kMaxLinkSize = 16u << 20;
constexpr std::uint8_t kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                         0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr std::uint32_t kStringFlags[5] = {kHasName, kHasRelativePath, kHasWorkingDir,
                                           kHasArguments, kHasIconLocation};
constexpr std::size_t kIconString = 4;

// LinkInfo field offsets.
constexpr std::size_t kLinkInfoMinHeader = 0x1C;
constexpr std::size_t kLinkInfoUnicodeHeader = 0x24;
constexpr std::uint32_t kVolumeIdAndLocalBasePath = 0x1;
constexpr std::uint32_t kCommonNetworkRelativeLink = 0x2;

// EnvironmentVariableDataBlock and IconEnvironmentDataBlock: header, 260 ANSI bytes, 260
// UTF-16 units, each NUL-terminated.
constexpr std::size_t kEnvironmentBlockSize = 0x314;
constexpr std::size_t kEnvironmentAnsi = 8;
constexpr std::size_t kEnvironmentUnicode = 8 + 260;

std::string AnsiToUtf8(std::string_view text) {
    return Utf16ToUtf8(CodePageToUtf16(text, kAnsiCodePage));
}

// A NUL-terminated ANSI string inside `view`; nothing when it starts outside or has no NUL.
std::optional<std::string> AnsiAt(ByteView view, std::size_t offset) {
    if (offset >= view.Size())
        return std::nullopt;
    std::string_view rest = view.Chars().substr(offset);
    std::size_t end = rest.find('\0');
    if (end == std::string_view::npos)
        return std::nullopt;
    return AnsiToUtf8(rest.substr(0, end));
}

std::optional<std::string> UnicodeAt(ByteView view, std::size_t offset) {
    std::u16string text;
    for (std::size_t at = offset; view.Has(at, 2); at += 2) {
        char16_t unit = char16_t(view.U16(at));
        if (unit == 0)
            return Utf16ToUtf8(text);
        text += unit;
    }
    return std::nullopt;
}

void PutU32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + std::size_t(i)] = std::uint8_t(value >> (8 * i));
}

std::string At(std::size_t offset) {
    return Format(" (at offset 0x%zX)", offset);
}

// The characters of a StringData entry for this link's encoding, or nothing when they do not
// fit: more than 65535 units, or characters an ANSI link cannot hold.
std::optional<std::vector<std::uint8_t>> EncodeString(std::string_view text, bool unicode,
                                                      std::string* error) {
    std::u16string units = Utf8ToUtf16(text);
    if (units.size() > 0xFFFF) {
        *error = "the icon location is longer than 65535 characters";
        return std::nullopt;
    }
    std::vector<std::uint8_t> out{std::uint8_t(units.size()), std::uint8_t(units.size() >> 8)};
    if (unicode) {
        for (char16_t unit : units) {
            out.push_back(std::uint8_t(unit));
            out.push_back(std::uint8_t(unit >> 8));
        }
        return out;
    }
    std::string ansi = Utf16ToCodePage(units, kAnsiCodePage);
    if (CodePageToUtf16(ansi, kAnsiCodePage) != units || ansi.size() != units.size()) {
        *error = "the link stores ANSI text and the icon location holds characters outside "
                 "Windows-1252";
        return std::nullopt;
    }
    out.insert(out.end(), ansi.begin(), ansi.end());
    return out;
}

} // namespace

HRESULT ShellLinkFile::Parse(std::vector<std::uint8_t> bytes, std::string* error) {
    *this = ShellLinkFile();
    bytes_ = std::move(bytes);
    ByteView view(bytes_.data(), bytes_.size());
    bool ok = false;
    if (!view.Has(0, kHeaderSize))
        *error = Format("%zu bytes are too few for the 76-byte link header", bytes_.size());
    else if (view.U32(0) != kHeaderSize)
        *error = Format("the header size is 0x%X, not 0x4C", view.U32(0));
    else if (std::memcmp(bytes_.data() + 4, kLinkClsid, sizeof kLinkClsid) != 0)
        *error = "the header does not carry the shell link class identifier";
    else
        ok = true;
    flags_ = view.U32(kFlagsOffset);
    std::size_t offset = kHeaderSize;
    ok = ok && ParseIdList(&offset, error) && ParseLinkInfo(&offset, error) &&
         ParseStrings(&offset, error) && ParseExtraData(offset, error);
    if (!ok) {
        *this = ShellLinkFile();
        return E_FAIL;
    }
    info_.targetPath = !linkInfoTarget_.empty() ? linkInfoTarget_ : idListTarget_;
    const Block* environment = FindBlock(kEnvironmentBlock);
    if (info_.targetPath.empty() && environment)
        info_.targetPath = BlockTarget(*environment);
    info_.iconIndex = std::int32_t(view.U32(kIconIndexOffset));
    if (strings_[kIconString])
        info_.iconLocation = StringText(*strings_[kIconString]);
    const Block* iconBlock = FindBlock(kIconEnvironmentBlock);
    if ((flags_ & kHasExpIcon) && iconBlock)
        info_.iconLocation = BlockTarget(*iconBlock);
    return S_OK;
}

// IDList items: a u16 size that counts itself, then the item's data. Drive items (class 0x2_)
// hold "C:\" at offset 3; file-system items (class 0x3_) hold their primary name at offset 14,
// in UTF-16 when bit 0x04 of the class byte is set. Other items (the root folder, control panel
// entries) are skipped before the drive and end the path after it.
bool ShellLinkFile::ParseIdList(std::size_t* offset, std::string* error) {
    if (!(flags_ & kHasLinkTargetIdList))
        return true;
    ByteView view(bytes_.data(), bytes_.size());
    if (!view.Has(*offset, 2) || !view.Has(*offset + 2, view.U16(*offset))) {
        *error = "the IDList runs past the end of the file" + At(*offset);
        return false;
    }
    idList_ = {*offset + 2, view.U16(*offset)};
    ByteView list = view.Sub(idList_.offset, idList_.size);
    std::string path;
    bool pathOpen = true;
    for (std::size_t at = 0;;) {
        std::uint16_t size = list.U16(at);
        if (!list.Has(at, 2) || (size != 0 && (size < 2 || !list.Has(at, size)))) {
            *error = "an IDList item runs past the end of the list" + At(idList_.offset + at);
            return false;
        }
        if (size == 0)
            break;
        ByteView item = list.Sub(at, size);
        std::uint8_t kind = item.U8(2) & 0x70;
        if (path.empty() && kind == 0x20) {
            path = AnsiAt(item, 3).value_or(std::string());
        } else if (!path.empty() && pathOpen) {
            std::optional<std::string> name;
            if (kind == 0x30)
                name = (item.U8(2) & 0x04) ? UnicodeAt(item, 14) : AnsiAt(item, 14);
            pathOpen = name && !name->empty();
            if (pathOpen)
                path += (path.back() == '\\' ? "" : "\\") + *name;
        }
        at += size;
    }
    if (pathOpen)
        idListTarget_ = path;
    *offset = idList_.End();
    return true;
}

bool ShellLinkFile::ParseLinkInfo(std::size_t* offset, std::string* error) {
    if (!(flags_ & kHasLinkInfo))
        return true;
    ByteView view(bytes_.data(), bytes_.size());
    std::uint32_t size = view.U32(*offset);
    ByteView info = view.Sub(*offset, size);
    std::uint32_t headerSize = info.U32(4);
    if (size < kLinkInfoMinHeader || info.Empty() || headerSize < kLinkInfoMinHeader ||
        headerSize > size) {
        *error = "the LinkInfo structure is damaged or runs past the end of the file" + At(*offset);
        return false;
    }
    std::uint32_t flags = info.U32(8);
    bool unicode = headerSize >= kLinkInfoUnicodeHeader;
    auto text = [&](std::size_t ansiField, std::size_t unicodeField) {
        if (unicode && info.U32(unicodeField) != 0)
            return UnicodeAt(info, info.U32(unicodeField));
        return info.U32(ansiField) ? AnsiAt(info, info.U32(ansiField)) : std::string();
    };
    std::optional<std::string> suffix = text(24, 32);
    std::optional<std::string> target;
    if (flags & kVolumeIdAndLocalBasePath) {
        std::optional<std::string> base = text(16, 28);
        if (base && suffix)
            target = *base + *suffix;
    } else if (flags & kCommonNetworkRelativeLink) {
        ByteView link = info.Sub(info.U32(20), info.U32(info.U32(20)));
        std::uint32_t netName = link.U32(8);
        std::optional<std::string> share = link.U32(0) < 0x14 ? std::nullopt
                                           : netName > 0x14   ? UnicodeAt(link, link.U32(20))
                                                              : AnsiAt(link, netName);
        if (share && suffix)
            target = suffix->empty() ? *share : *share + "\\" + *suffix;
    } else {
        target = std::string();
    }
    if (!target) {
        *error = "a LinkInfo path lies outside the structure or is not terminated" + At(*offset);
        return false;
    }
    if (!(flags_ & kForceNoLinkInfo))
        linkInfoTarget_ = *target;
    *offset += size;
    return true;
}

bool ShellLinkFile::ParseStrings(std::size_t* offset, std::string* error) {
    ByteView view(bytes_.data(), bytes_.size());
    std::size_t unit = (flags_ & kIsUnicode) ? 2 : 1;
    for (std::size_t i = 0; i < strings_.size(); ++i) {
        if (!(flags_ & kStringFlags[i]))
            continue;
        std::size_t length = view.U16(*offset) * unit;
        if (!view.Has(*offset, 2 + length)) {
            *error = "a string runs past the end of the file" + At(*offset);
            return false;
        }
        strings_[i] = Range{*offset, 2 + length};
        *offset += 2 + length;
    }
    return true;
}

// A file that ends where a block would start has lost its terminal block; it is read (and kept)
// as it is. Bytes after the terminal block are kept too.
bool ShellLinkFile::ParseExtraData(std::size_t offset, std::string* error) {
    ByteView view(bytes_.data(), bytes_.size());
    extraDataStart_ = offset;
    while (offset < bytes_.size()) {
        std::uint32_t size = view.U32(offset);
        if (!view.Has(offset, 4)) {
            *error = "the extra data ends inside a block size" + At(offset);
            return false;
        }
        if (size < 4)
            break;
        if (size < 8 || !view.Has(offset, size)) {
            *error = Format("an extra data block of %u bytes does not fit", size) + At(offset);
            return false;
        }
        blocks_.push_back({{offset, size}, view.U32(offset + 4)});
        offset += size;
    }
    return true;
}

std::string ShellLinkFile::StringText(const Range& range) const {
    ByteView view(bytes_.data(), bytes_.size());
    ByteView chars = view.Sub(range.offset + 2, range.size - 2);
    if (flags_ & kIsUnicode)
        return Utf16ToUtf8(Utf16FromLittleEndian(chars.Data(), chars.Size() / 2));
    return AnsiToUtf8(chars.Chars());
}

const ShellLinkFile::Block* ShellLinkFile::FindBlock(std::uint32_t signature) const {
    for (const Block& block : blocks_)
        if (block.signature == signature)
            return &block;
    return nullptr;
}

// The Unicode target when it is there and not empty, else the ANSI one.
std::string ShellLinkFile::BlockTarget(const Block& block) const {
    if (block.range.size < kEnvironmentBlockSize)
        return {};
    ByteView view(bytes_.data() + block.range.offset, block.range.size);
    std::string unicode = UnicodeAt(view.Sub(kEnvironmentUnicode, 520), 0).value_or(std::string());
    if (!unicode.empty())
        return unicode;
    return AnsiAt(view.Sub(kEnvironmentAnsi, 260), 0).value_or(std::string());
}

HRESULT ShellLinkFile::SetIcon(std::string_view location, int index, std::string* error) {
    if (bytes_.empty()) {
        *error = "no link is loaded";
        return E_FAIL;
    }
    std::optional<std::vector<std::uint8_t>> encoded =
        EncodeString(location, flags_ & kIsUnicode, error);
    if (!encoded)
        return E_INVALIDARG;
    const std::optional<Range>& old = strings_[kIconString];
    std::size_t cut = old ? old->offset : extraDataStart_;
    std::size_t resume = old ? old->End() : extraDataStart_;
    std::vector<std::uint8_t> out(bytes_.begin(), bytes_.begin() + std::ptrdiff_t(cut));
    out.insert(out.end(), encoded->begin(), encoded->end());
    std::size_t at = resume;
    for (const Block& block : blocks_) {
        out.insert(out.end(), bytes_.begin() + std::ptrdiff_t(at),
                   bytes_.begin() + std::ptrdiff_t(block.range.offset));
        if (block.signature != kIconEnvironmentBlock)
            out.insert(out.end(), bytes_.begin() + std::ptrdiff_t(block.range.offset),
                       bytes_.begin() + std::ptrdiff_t(block.range.End()));
        at = block.range.End();
    }
    out.insert(out.end(), bytes_.begin() + std::ptrdiff_t(at), bytes_.end());
    PutU32(out, kFlagsOffset, (flags_ | kHasIconLocation) & ~kHasExpIcon);
    PutU32(out, kIconIndexOffset, std::uint32_t(index));
    return Parse(std::move(out), error);
}

namespace {

// The file's bytes; links larger than any real one are refused before reading.
HRESULT ReadLinkBytes(const std::string& hostPath, std::vector<std::uint8_t>& bytes) {
    std::error_code ec;
    std::uintmax_t size = std::filesystem::file_size(hostPath, ec);
    if (ec)
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    return size > kMaxLinkSize ? E_FAIL : ReadWholeFile(hostPath, bytes);
}

} // namespace

HRESULT ReadShellLinkFile(const std::string& hostPath, ShortcutInfo* info) {
    std::vector<std::uint8_t> bytes;
    HRESULT hr = ReadLinkBytes(hostPath, bytes);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "Cannot read the shell link %s\n", hostPath.c_str());
        return hr;
    }
    ShellLinkFile link;
    std::string error;
    hr = link.Parse(std::move(bytes), &error);
    if (FAILED(hr)) {
        ReportError(kModule, __LINE__, hr, "%s is not a shell link: %s.\n", hostPath.c_str(),
                    error.c_str());
        return hr;
    }
    *info = link.Info();
    return S_OK;
}

HRESULT SetShellLinkFileIcon(const std::string& hostPath, std::string_view location, int index) {
    std::vector<std::uint8_t> bytes;
    HRESULT hr = ReadLinkBytes(hostPath, bytes);
    ShellLinkFile link;
    std::string error = "it cannot be read";
    if (SUCCEEDED(hr))
        hr = link.Parse(std::move(bytes), &error);
    if (SUCCEEDED(hr))
        hr = link.SetIcon(location, index, &error);
    if (SUCCEEDED(hr))
        hr = ReplaceFileContents(hostPath, link.Bytes().data(), link.Bytes().size());
    if (FAILED(hr))
        ReportError(kModule, __LINE__, hr, "Cannot set the icon of the shell link %s: %s.\n",
                    hostPath.c_str(), error.c_str());
    return hr;
}

namespace {

void PutU16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

// LinkInfo with the VolumeID of an unnamed fixed drive and the target as LocalBasePath; the
// CommonPathSuffix is empty.
void PutLinkInfo(std::vector<std::uint8_t>& out, const std::string& ansiTarget) {
    constexpr std::uint32_t kVolumeIdSize = 0x11; // 16 bytes of fields and an empty label
    constexpr std::uint32_t kDriveFixed = 3;
    std::uint32_t basePath = std::uint32_t(kLinkInfoMinHeader) + kVolumeIdSize;
    std::uint32_t suffix = basePath + std::uint32_t(ansiTarget.size()) + 1;
    PutU32(out, suffix + 1);
    PutU32(out, std::uint32_t(kLinkInfoMinHeader));
    PutU32(out, kVolumeIdAndLocalBasePath);
    PutU32(out, std::uint32_t(kLinkInfoMinHeader)); // VolumeIDOffset
    PutU32(out, basePath);
    PutU32(out, 0); // CommonNetworkRelativeLinkOffset
    PutU32(out, suffix);
    PutU32(out, kVolumeIdSize);
    PutU32(out, kDriveFixed);
    PutU32(out, 0);    // DriveSerialNumber
    PutU32(out, 0x10); // VolumeLabelOffset: the empty label right after the fields
    out.push_back(0);
    out.insert(out.end(), ansiTarget.begin(), ansiTarget.end());
    out.push_back(0);
    out.push_back(0); // the empty CommonPathSuffix
}

} // namespace

std::optional<std::vector<std::uint8_t>> MakeShellLink(const std::string& target,
                                                       const std::string& description) {
    std::u16string wideTarget = Utf8ToUtf16(target);
    std::string ansiTarget = Utf16ToCodePage(wideTarget, kAnsiCodePage);
    std::u16string name = Utf8ToUtf16(description);
    if (CodePageToUtf16(ansiTarget, kAnsiCodePage) != wideTarget ||
        ansiTarget.find('\0') != std::string::npos || name.size() > 0xFFFF)
        return std::nullopt;
    constexpr std::uint32_t kShowNormal = 1;
    std::vector<std::uint8_t> out;
    PutU32(out, std::uint32_t(kHeaderSize));
    out.insert(out.end(), std::begin(kLinkClsid), std::end(kLinkClsid));
    PutU32(out, kHasLinkInfo | kHasName | kIsUnicode);
    out.resize(kHeaderSize - 16, 0); // attributes, the three times, size, icon index
    PutU32(out, kShowNormal);
    out.resize(kHeaderSize, 0); // hot key and the reserved fields
    PutLinkInfo(out, ansiTarget);
    PutU16(out, std::uint32_t(name.size()));
    for (char16_t unit : name)
        PutU16(out, unit);
    PutU32(out, 0); // the terminal block
    return out;
}

} // namespace vellum
