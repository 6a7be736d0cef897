// ZipArchiveFile: PKWARE zip archives on zlib's raw deflate, inflate and CRC-32.
#include "iconset/ZipArchiveFile.h"

#include "common/ByteWriter.h"
#include "common/FileIo.h"
#include "common/LocalTime.h"
#include "common/Path.h"
#include "common/Strings.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>
#include <zlib.h>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace vellum {

namespace {

using Kind = ZipError::Kind;

constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;   // "PK\3\4"
constexpr std::uint32_t kCentralHeaderSignature = 0x02014b50; // "PK\1\2"
constexpr std::uint32_t kEndRecordSignature = 0x06054b50;     // "PK\5\6"
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kCentralHeaderSize = 46;
constexpr std::size_t kEndRecordSize = 22;
// The end record may be followed by a comment of up to 65535 bytes.
constexpr std::uint64_t kEndRecordSearchSpan = 65535 + kEndRecordSize;
// Where CRC-32, compressed and uncompressed size sit in the local header.
constexpr std::uint64_t kLocalSizesOffset = 14;
constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflated = 8;
constexpr std::uint16_t kFlagEncrypted = 0x0001;
constexpr std::uint32_t kAttributeReadOnly = 0x01;
constexpr std::uint32_t kAttributeDirectory = 0x10;
constexpr std::uint32_t kAttributeArchive = 0x20;
constexpr std::uint64_t kMaxZip32 = 0xFFFFFFFFu;

std::uint16_t Get16(const std::uint8_t* p) {
    return std::uint16_t(p[0] | p[1] << 8);
}
std::uint32_t Get32(const std::uint8_t* p) {
    return Get16(p) | std::uint32_t(Get16(p + 2)) << 16;
}

ZipError TooLarge() {
    return ZipError(Kind::Full, "zip archive or entry larger than 4 GiB");
}

// The Win32 error inside an HRESULT of that facility (0x8007xxxx); 0 for any other.
std::uint32_t Win32ErrorOf(HRESULT hr) {
    return (std::uint32_t(hr) & 0xFFFF0000u) == 0x80070000u ? std::uint32_t(hr) & 0xFFFFu : 0;
}

void MakeFolder(const std::string& folder) {
    if (HRESULT hr = CreateFolders(folder); FAILED(hr))
        throw ZipError::FromSystem(Win32ErrorOf(hr));
}

// General-purpose flag bits 1 and 2 record the deflate level: 6 super fast, 4 fast, 2 maximum.
std::uint16_t FlagsForLevel(int level) {
    switch (level) {
    case 1:
        return 6;
    case 2:
        return 4;
    case 8:
    case 9:
        return 2;
    default:
        return 0;
    }
}

// MS-DOS time: hours << 11 | minutes << 5 | seconds / 2; date: (year - 1980) << 9 | month << 5 |
// day. Times outside 1980-2107 are clamped to the nearest end.
void ToDosTime(std::time_t when, std::uint16_t* dosTime, std::uint16_t* dosDate) {
    std::tm local = LocalTime(when);
    int year = local.tm_year + 1900;
    if (year < 1980) {
        *dosTime = 0;
        *dosDate = (1 << 5) | 1;
        return;
    }
    year = std::min(year, 2107);
    *dosTime = std::uint16_t(local.tm_hour << 11 | local.tm_min << 5 | local.tm_sec / 2);
    *dosDate = std::uint16_t((year - 1980) << 9 | (local.tm_mon + 1) << 5 | local.tm_mday);
}

// The last component of an entry name when it is a plain file name; empty for names that could
// lead outside the destination folder or are no file at all.
std::string PlainFileName(const std::string& name) {
    if (name.empty() || IsPathSeparator(name.front()) || (name.size() >= 2 && name[1] == ':'))
        return {};
    std::size_t start = 0;
    std::string last;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("\\/", start);
        if (end == std::string::npos)
            end = name.size();
        last = name.substr(start, end - start);
        if (last == "..")
            return {};
        start = end + 1;
    }
    if (last.empty() || MakeSafeFileName(last) != last)
        return {};
    return last;
}

// Frees a zlib stream on every path out of a function.
struct InflateStream {
    z_stream stream{};
    bool live = false;
    ~InflateStream() {
        if (live)
            inflateEnd(&stream);
    }
};
struct DeflateStream {
    z_stream stream{};
    bool live = false;
    ~DeflateStream() {
        if (live)
            deflateEnd(&stream);
    }
};

std::size_t ClampBuffer(std::size_t size) {
    return std::min(size, ZipArchiveFile::kBufferSize);
}

void WriteOut(std::FILE* out, const std::uint8_t* data, std::size_t size) {
    if (size && std::fwrite(data, 1, size, out) != size)
        throw ZipError::FromErrno();
}

} // namespace

// The file being added: open for reading (nothing for a folder), with its time and attributes.
struct ZipArchiveFile::SourceFile {
    std::FILE* file = nullptr;
    bool isFolder = false;
    std::uint16_t dosTime = 0;
    std::uint16_t dosDate = (1 << 5) | 1;
    std::uint32_t attributes = kAttributeArchive;
    std::uint64_t size = 0;
    std::string name;

    SourceFile() = default;
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;
    ~SourceFile() {
        if (file)
            std::fclose(file);
    }

    void Open(const std::string& path, std::size_t index) {
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::file_status status = fs::status(path, ec);
        if (!fs::exists(status))
            throw ZipError::FromSystem(ec ? Win32ErrorFromErrno(ec.value()) : ERROR_FILE_NOT_FOUND);
        isFolder = fs::is_directory(status);
        if (!isFolder && !(file = std::fopen(path.c_str(), "rb")))
            throw ZipError::FromErrno();
        ReadTimeAndAttributes(path, status);
        std::string_view trimmed = path;
        while (!trimmed.empty() && IsPathSeparator(trimmed.back()))
            trimmed.remove_suffix(1);
        name = FileNameOf(trimmed);
        if (name.empty())
            name = Format("file%zu", index);
        if (isFolder)
            name += '/';
    }

    // Windows attributes from the host's: read-only when the owner may not write.
    void ReadTimeAndAttributes(const std::string& path, std::filesystem::file_status status) {
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0) {
            ToDosTime(info.st_mtime, &dosTime, &dosDate);
            size = std::uint64_t(info.st_size);
        }
        using std::filesystem::perms;
        attributes = isFolder ? kAttributeDirectory : kAttributeArchive;
        if ((status.permissions() & perms::owner_write) == perms::none)
            attributes |= kAttributeReadOnly;
    }
};

ZipArchiveFile::~ZipArchiveFile() {
    try {
        Close();
    } catch (const ZipError&) {
        CloseFile();
    }
}

void ZipArchiveFile::Open(const std::string& path, Mode mode) {
    Close();
    const char* how = mode == Mode::Create ? "wb+x" : mode == Mode::Open ? "rb+" : "rb";
    file_ = std::fopen(path.c_str(), how);
    if (!file_)
        throw ZipError::FromErrno();
    path_ = path;
    mode_ = mode;
    if (mode == Mode::Create)
        return;
    try {
        ReadCentralDirectory();
    } catch (const ZipError&) {
        CloseFile();
        throw;
    }
}

// End of central directory record:
//   end of central dir signature    4 bytes  (0x06054b50)
//   number of this disk             2 bytes
//   disk where central dir starts   2 bytes
//   entries on this disk            2 bytes
//   total entries                   2 bytes
//   size of the central directory   4 bytes
//   offset of the central directory 4 bytes
//   .ZIP file comment length        2 bytes
//   .ZIP file comment               (variable size)
void ZipArchiveFile::ReadCentralDirectory() {
    if (std::fseek(file_, 0, SEEK_END) != 0)
        throw ZipError::FromErrno();
    fileSize_ = Tell();
    std::uint64_t endOffset = FindEndRecord(fileSize_);
    std::uint8_t end[kEndRecordSize];
    Seek(endOffset);
    ReadExact(end, sizeof end);
    std::uint32_t directorySize = Get32(end + 12), directoryOffset = Get32(end + 16);
    bool singleDisk =
        Get16(end + 4) == 0 && Get16(end + 6) == 0 && Get16(end + 8) == Get16(end + 10);
    if (!singleDisk || directorySize > endOffset || endOffset - directorySize < directoryOffset)
        throw ZipError::DamagedArchive();
    std::uint64_t directoryStart = endOffset - directorySize;
    bytesBefore_ = directoryStart - directoryOffset;
    std::uint64_t commentRoom = fileSize_ - endOffset - kEndRecordSize;
    comment_.assign(std::size_t(std::min<std::uint64_t>(Get16(end + 20), commentRoom)), '\0');
    ReadExact(comment_.data(), comment_.size());
    std::vector<std::uint8_t> directory(directorySize);
    Seek(directoryStart);
    ReadExact(directory.data(), directory.size());
    ParseCentralDirectory(directory, Get16(end + 10));
    writeOffset_ = directoryStart;
}

// The end record is the last "PK\5\6" in the final 65557 bytes that leaves room for the record.
std::uint64_t ZipArchiveFile::FindEndRecord(std::uint64_t fileSize) {
    if (fileSize < kEndRecordSize)
        throw ZipError::DamagedArchive();
    std::uint64_t span = std::min(fileSize, kEndRecordSearchSpan);
    std::vector<std::uint8_t> tail(static_cast<std::size_t>(span));
    Seek(fileSize - span);
    ReadExact(tail.data(), tail.size());
    for (std::size_t at = tail.size() - kEndRecordSize + 1; at-- > 0;)
        if (Get32(&tail[at]) == kEndRecordSignature)
            return fileSize - span + at;
    throw ZipError::DamagedArchive();
}

// Central directory file header:
//   central file header signature   4 bytes  (0x02014b50)
//   version made by                 2 bytes
//   version needed to extract       2 bytes
//   general purpose bit flag        2 bytes
//   compression method              2 bytes
//   last mod file time              2 bytes
//   last mod file date              2 bytes
//   crc-32                          4 bytes
//   compressed size                 4 bytes
//   uncompressed size               4 bytes
//   file name length                2 bytes
//   extra field length              2 bytes
//   file comment length             2 bytes
//   disk number start               2 bytes
//   internal file attributes        2 bytes
//   external file attributes        4 bytes
//   relative offset of local header 4 bytes
//   file name, extra field, file comment (variable size)
void ZipArchiveFile::ParseCentralDirectory(const std::vector<std::uint8_t>& bytes,
                                           std::size_t expected) {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < expected; ++i) {
        if (bytes.size() - pos < kCentralHeaderSize ||
            Get32(&bytes[pos]) != kCentralHeaderSignature)
            throw ZipError::DamagedArchive();
        const std::uint8_t* h = &bytes[pos];
        std::size_t nameLength = Get16(h + 28), extraLength = Get16(h + 30);
        std::size_t commentLength = Get16(h + 32);
        std::size_t total = kCentralHeaderSize + nameLength + extraLength + commentLength;
        if (bytes.size() - pos < total)
            throw ZipError::DamagedArchive();
        ZipEntryInfo entry;
        entry.versionMadeBy = Get16(h + 4);
        entry.versionNeeded = Get16(h + 6);
        entry.flags = Get16(h + 8);
        entry.method = Get16(h + 10);
        entry.modTime = Get16(h + 12);
        entry.modDate = Get16(h + 14);
        entry.crc32 = Get32(h + 16);
        entry.compressedSize = Get32(h + 20);
        entry.uncompressedSize = Get32(h + 24);
        entry.diskStart = Get16(h + 34);
        entry.internalAttributes = Get16(h + 36);
        entry.externalAttributes = Get32(h + 38);
        entry.localHeaderOffset = Get32(h + 42);
        const std::uint8_t* name = h + kCentralHeaderSize;
        entry.name.assign(reinterpret_cast<const char*>(name), nameLength);
        std::replace(entry.name.begin(), entry.name.end(), '/', '\\');
        entry.extra.assign(name + nameLength, name + nameLength + extraLength);
        entry.comment.assign(reinterpret_cast<const char*>(name + nameLength + extraLength),
                             commentLength);
        entries_.push_back(std::move(entry));
        pos += total;
    }
}

const ZipEntryInfo& ZipArchiveFile::EntryInfo(std::size_t index) const {
    if (index >= entries_.size())
        throw ZipError(Kind::Usage, Format("the zip archive has no entry %zu", index));
    return entries_[index];
}

bool ZipArchiveFile::IsDirectory(std::size_t index) const {
    return EntryInfo(index).externalAttributes & kAttributeDirectory;
}

void ZipArchiveFile::RequireOpen(Mode refused) const {
    if (!file_)
        throw ZipError(Kind::Usage, "no zip archive is open");
    if (mode_ == refused)
        throw ZipError(Kind::Usage, refused == Mode::Create
                                        ? "the zip archive is being created; nothing to extract"
                                        : "the zip archive is open read-only");
}

void ZipArchiveFile::Extract(std::size_t index, const std::string& folder, std::size_t bufferSize) {
    RequireOpen(Mode::Create);
    const ZipEntryInfo& entry = EntryInfo(index);
    if (bufferSize == 0)
        throw ZipError(Kind::Usage, "a zip buffer of 0 bytes");
    if (IsDirectory(index))
        return MakeFolder(folder);
    std::string name = PlainFileName(entry.name);
    if (name.empty())
        throw ZipError(
            Kind::Name,
            Format("The zip entry \"%s\" is not a plain file name; it was not extracted.",
                   entry.name.c_str()));
    bool known = entry.method == kMethodStored || entry.method == kMethodDeflated;
    if ((entry.flags & kFlagEncrypted) || !known)
        throw ZipError(Kind::Unsupported,
                       Format("The zip entry \"%s\" is encrypted or uses compression method %u.",
                              entry.name.c_str(), unsigned(entry.method)));
    MakeFolder(folder);
    WriteExtracted(entry, JoinPath(folder, name), ClampBuffer(bufferSize));
}

// The data goes to a temporary file beside the target, renamed over it once it is complete.
void ZipArchiveFile::WriteExtracted(const ZipEntryInfo& entry, const std::string& target,
                                    std::size_t bufferSize) {
    std::string temp = TemporaryNameBeside(target);
    std::FILE* out = std::fopen(temp.c_str(), "wb");
    if (!out)
        throw ZipError::FromErrno();
    try {
        if (entry.method == kMethodDeflated)
            InflateEntryData(entry, out, bufferSize);
        else
            CopyEntryData(entry, out, bufferSize);
    } catch (const ZipError&) {
        std::fclose(out);
        std::remove(temp.c_str());
        throw;
    }
    std::uint32_t error = std::fclose(out) == 0 ? 0 : Win32ErrorFromErrno(errno);
    std::error_code ec;
    if (!error)
        std::filesystem::rename(temp, target, ec);
    if (error || ec) {
        std::remove(temp.c_str());
        throw ZipError::FromSystem(error ? error : Win32ErrorFromErrno(ec.value()));
    }
}

// Local file header:
//   local file header signature     4 bytes  (0x04034b50)
//   version needed to extract       2 bytes
//   general purpose bit flag        2 bytes
//   compression method              2 bytes
//   last mod file time              2 bytes
//   last mod file date              2 bytes
//   crc-32                          4 bytes
//   compressed size                 4 bytes
//   uncompressed size               4 bytes
//   file name length                2 bytes
//   extra field length              2 bytes
//   file name, extra field (variable size)
// The sizes are taken from the central directory, which is always complete; the local header
// only tells where the data starts.
std::uint64_t ZipArchiveFile::DataOffset(const ZipEntryInfo& entry) {
    std::uint64_t header = bytesBefore_ + entry.localHeaderOffset;
    std::uint8_t h[kLocalHeaderSize];
    if (header > fileSize_ || fileSize_ - header < kLocalHeaderSize)
        throw ZipError::DamagedArchive();
    Seek(header);
    ReadExact(h, sizeof h);
    if (Get32(h) != kLocalHeaderSignature)
        throw ZipError::DamagedArchive();
    std::uint64_t data = header + kLocalHeaderSize + Get16(h + 26) + Get16(h + 28);
    if (data > fileSize_ || fileSize_ - data < entry.compressedSize)
        throw ZipError::DamagedArchive();
    return data;
}

void ZipArchiveFile::CopyEntryData(const ZipEntryInfo& entry, std::FILE* out,
                                   std::size_t bufferSize) {
    if (entry.compressedSize != entry.uncompressedSize)
        throw ZipError::DamagedEntry();
    Seek(DataOffset(entry));
    std::vector<std::uint8_t> buffer(bufferSize);
    uLong crc = crc32(0, nullptr, 0);
    for (std::uint64_t left = entry.compressedSize; left > 0;) {
        std::size_t chunk = std::size_t(std::min<std::uint64_t>(left, bufferSize));
        ReadExact(buffer.data(), chunk);
        crc = crc32(crc, buffer.data(), uInt(chunk));
        WriteOut(out, buffer.data(), chunk);
        left -= chunk;
    }
    if (crc != entry.crc32)
        throw ZipError::DamagedEntry();
}

// Inflates no more than the header's uncompressed size, so a damaged or hostile entry cannot
// fill the disk; anything that disagrees with the header counts as a CRC failure.
void ZipArchiveFile::InflateEntryData(const ZipEntryInfo& entry, std::FILE* out,
                                      std::size_t bufferSize) {
    Seek(DataOffset(entry));
    InflateStream z;
    int result = inflateInit2(&z.stream, -MAX_WBITS);
    if (result != Z_OK)
        throw ZipError::FromZlib(result);
    z.live = true;
    std::vector<std::uint8_t> input(bufferSize), output(bufferSize);
    std::uint64_t unread = entry.compressedSize, written = 0;
    uLong crc = crc32(0, nullptr, 0);
    while (result != Z_STREAM_END) {
        if (z.stream.avail_in == 0) {
            if (unread == 0)
                throw ZipError::DamagedEntry();
            std::size_t chunk = std::size_t(std::min<std::uint64_t>(unread, bufferSize));
            ReadExact(input.data(), chunk);
            unread -= chunk;
            z.stream.next_in = input.data();
            z.stream.avail_in = uInt(chunk);
        }
        z.stream.next_out = output.data();
        z.stream.avail_out = uInt(bufferSize);
        result = inflate(&z.stream, Z_NO_FLUSH);
        if (result == Z_MEM_ERROR || result == Z_STREAM_ERROR || result == Z_DATA_ERROR ||
            result == Z_NEED_DICT)
            throw ZipError::FromZlib(result);
        std::size_t produced = bufferSize - z.stream.avail_out;
        written += produced;
        if (written > entry.uncompressedSize)
            throw ZipError::DamagedEntry();
        crc = crc32(crc, output.data(), uInt(produced));
        WriteOut(out, output.data(), produced);
    }
    if (written != entry.uncompressedSize || crc != entry.crc32)
        throw ZipError::DamagedEntry();
}

void ZipArchiveFile::AddFile(const std::string& path, int level, std::size_t bufferSize) {
    RequireOpen(Mode::ReadOnly);
    if (bufferSize == 0)
        throw ZipError(Kind::Usage, "a zip buffer of 0 bytes");
    if (entries_.size() >= kMaxEntries)
        throw ZipError(Kind::Full, "zip archive of 65535 entries, as many as it can hold");
    SourceFile source;
    source.Open(path, entries_.size());
    if (source.size > kMaxZip32 || writeOffset_ - bytesBefore_ > kMaxZip32)
        throw TooLarge();
    if (source.name.size() > 0xFFFF)
        throw ZipError(Kind::Name, "zip entry name of 65536 bytes or more");
    ZipEntryInfo entry;
    entry.flags = source.isFolder ? 0 : FlagsForLevel(level);
    entry.method = source.isFolder ? kMethodStored : kMethodDeflated;
    entry.modTime = source.dosTime;
    entry.modDate = source.dosDate;
    entry.externalAttributes = source.attributes;
    entry.localHeaderOffset = std::uint32_t(writeOffset_ - bytesBefore_);
    entry.name = source.name;
    modified_ = true;
    WriteEntry(entry, source, level, ClampBuffer(bufferSize));
    std::replace(entry.name.begin(), entry.name.end(), '/', '\\');
    entries_.push_back(std::move(entry));
}

// Writes the local header with zero CRC and sizes, the data, and then the real CRC and sizes
// over the zeros. On failure writeOffset_ stays put, so the next entry or the central directory
// overwrites whatever was written.
void ZipArchiveFile::WriteEntry(ZipEntryInfo& entry, SourceFile& source, int level,
                                std::size_t bufferSize) {
    std::vector<std::uint8_t> header;
    AppendU32(header, kLocalHeaderSignature);
    AppendU16(header, entry.versionNeeded);
    AppendU16(header, entry.flags);
    AppendU16(header, entry.method);
    AppendU16(header, entry.modTime);
    AppendU16(header, entry.modDate);
    AppendU32(header, 0);
    AppendU32(header, 0);
    AppendU32(header, 0);
    AppendU16(header, std::uint32_t(entry.name.size()));
    AppendU16(header, 0);
    header.insert(header.end(), entry.name.begin(), entry.name.end());
    Seek(writeOffset_);
    Write(header.data(), header.size());
    if (!source.isFolder)
        DeflateEntryData(entry, source, level, bufferSize);
    std::uint64_t end = Tell();
    std::vector<std::uint8_t> sizes;
    AppendU32(sizes, entry.crc32);
    AppendU32(sizes, entry.compressedSize);
    AppendU32(sizes, entry.uncompressedSize);
    Seek(writeOffset_ + kLocalSizesOffset);
    Write(sizes.data(), sizes.size());
    writeOffset_ = end;
    fileSize_ = std::max(fileSize_, end);
}

// Raw deflate (window bits -15: no zlib header or trailer), memory level 8, default strategy.
void ZipArchiveFile::DeflateEntryData(ZipEntryInfo& entry, SourceFile& source, int level,
                                      std::size_t bufferSize) {
    DeflateStream z;
    int result = deflateInit2(&z.stream, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    if (result != Z_OK)
        throw ZipError::FromZlib(result);
    z.live = true;
    std::vector<std::uint8_t> input(bufferSize), output(bufferSize);
    uLong crc = crc32(0, nullptr, 0);
    std::uint64_t totalIn = 0, totalOut = 0;
    int flush = Z_NO_FLUSH;
    while (flush != Z_FINISH) {
        std::size_t got = std::fread(input.data(), 1, bufferSize, source.file);
        if (got < bufferSize && std::ferror(source.file))
            throw ZipError::FromErrno();
        flush = got < bufferSize ? Z_FINISH : Z_NO_FLUSH;
        crc = crc32(crc, input.data(), uInt(got));
        totalIn += got;
        z.stream.next_in = input.data();
        z.stream.avail_in = uInt(got);
        do {
            z.stream.next_out = output.data();
            z.stream.avail_out = uInt(bufferSize);
            result = deflate(&z.stream, flush);
            if (result == Z_STREAM_ERROR)
                throw ZipError::FromZlib(result);
            std::size_t produced = bufferSize - z.stream.avail_out;
            Write(output.data(), produced);
            totalOut += produced;
        } while (z.stream.avail_out == 0);
    }
    if (totalIn > kMaxZip32 || totalOut > kMaxZip32)
        throw TooLarge();
    entry.crc32 = std::uint32_t(crc);
    entry.compressedSize = std::uint32_t(totalOut);
    entry.uncompressedSize = std::uint32_t(totalIn);
}

void ZipArchiveFile::Close() {
    if (!file_)
        return;
    try {
        if (modified_)
            WriteCentralDirectory();
    } catch (const ZipError&) {
        CloseFile();
        throw;
    }
    CloseFile();
}

// Central directory headers in entry order, then the end record (layouts above), then the file
// is cut where the end record ends, dropping anything a failed entry left behind.
void ZipArchiveFile::WriteCentralDirectory() {
    std::vector<std::uint8_t> out;
    for (const ZipEntryInfo& entry : entries_) {
        std::string name = entry.name;
        std::replace(name.begin(), name.end(), '\\', '/');
        AppendU32(out, kCentralHeaderSignature);
        for (std::uint16_t field : {entry.versionMadeBy, entry.versionNeeded, entry.flags,
                                    entry.method, entry.modTime, entry.modDate})
            AppendU16(out, field);
        AppendU32(out, entry.crc32);
        AppendU32(out, entry.compressedSize);
        AppendU32(out, entry.uncompressedSize);
        AppendU16(out, std::uint32_t(name.size()));
        AppendU16(out, std::uint32_t(entry.extra.size()));
        AppendU16(out, std::uint32_t(entry.comment.size()));
        AppendU16(out, entry.diskStart);
        AppendU16(out, entry.internalAttributes);
        AppendU32(out, entry.externalAttributes);
        AppendU32(out, entry.localHeaderOffset);
        out.insert(out.end(), name.begin(), name.end());
        out.insert(out.end(), entry.extra.begin(), entry.extra.end());
        out.insert(out.end(), entry.comment.begin(), entry.comment.end());
    }
    std::uint64_t directorySize = out.size();
    AppendU32(out, kEndRecordSignature);
    AppendU16(out, 0);
    AppendU16(out, 0);
    AppendU16(out, std::uint32_t(entries_.size()));
    AppendU16(out, std::uint32_t(entries_.size()));
    AppendU32(out, std::uint32_t(directorySize));
    AppendU32(out, std::uint32_t(writeOffset_ - bytesBefore_));
    AppendU16(out, std::uint32_t(comment_.size()));
    out.insert(out.end(), comment_.begin(), comment_.end());
    Seek(writeOffset_);
    Write(out.data(), out.size());
    if (std::fflush(file_) != 0)
        throw ZipError::FromErrno();
    std::uint64_t end = writeOffset_ + out.size();
#ifdef _WIN32
    int cut = _chsize_s(_fileno(file_), static_cast<__int64>(end));
#else
    int cut = ::ftruncate(fileno(file_), static_cast<off_t>(end));
#endif
    if (cut != 0)
        throw ZipError::FromErrno();
}

void ZipArchiveFile::CloseFile() {
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
    entries_.clear();
    comment_.clear();
    bytesBefore_ = writeOffset_ = fileSize_ = 0;
    modified_ = false;
}

void ZipArchiveFile::Seek(std::uint64_t offset) {
#ifdef _WIN32
    int failed = _fseeki64(file_, static_cast<__int64>(offset), SEEK_SET);
#else
    int failed = fseeko(file_, static_cast<off_t>(offset), SEEK_SET);
#endif
    if (failed)
        throw ZipError::FromErrno();
}

std::uint64_t ZipArchiveFile::Tell() {
#ifdef _WIN32
    auto at = _ftelli64(file_);
#else
    auto at = ftello(file_);
#endif
    if (at < 0)
        throw ZipError::FromErrno();
    return std::uint64_t(at);
}

// A short read means the archive ends before its records say it does.
void ZipArchiveFile::ReadExact(void* data, std::size_t size) {
    if (size && std::fread(data, 1, size, file_) != size)
        throw ZipError::DamagedArchive();
}

void ZipArchiveFile::Write(const void* data, std::size_t size) {
    if (size && std::fwrite(data, 1, size, file_) != size)
        throw ZipError::FromErrno();
}

} // namespace vellum
