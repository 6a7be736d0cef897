// ZipArchiveFile: creates, lists and extracts the PKWARE zip archives that carry zipped iconsets.
//
// Entries are deflated with zlib (raw streams, no zlib header) and carry their CRC-32 and sizes in
// both the local header and the central directory; no data descriptors, no spanning, no
// encryption. Extraction writes every entry flat into the destination folder, under its bare
// file name. Unlike the rest of the engine this class throws, and only throws: ZipError.
#pragma once

#include "iconset/ZipError.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vellum {

// One entry as the central directory describes it. `name` has backslashes for separators.
struct ZipEntryInfo {
    std::uint16_t versionMadeBy = 20;
    std::uint16_t versionNeeded = 20;
    std::uint16_t flags = 0;
    std::uint16_t method = 8;
    std::uint16_t modTime = 0;
    std::uint16_t modDate = 0;
    std::uint32_t crc32 = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t uncompressedSize = 0;
    std::uint16_t diskStart = 0;
    std::uint16_t internalAttributes = 0;
    std::uint32_t externalAttributes = 0;
    std::uint32_t localHeaderOffset = 0;
    std::string name;
    std::vector<std::uint8_t> extra;
    std::string comment;
};

class ZipArchiveFile {
public:
    enum class Mode { Create, Open, ReadOnly };
    static constexpr std::size_t kBufferSize = 65535;
    static constexpr std::size_t kMaxEntries = 65535;

    ZipArchiveFile() = default;
    ZipArchiveFile(const ZipArchiveFile&) = delete;
    ZipArchiveFile& operator=(const ZipArchiveFile&) = delete;
    // Closes an archive left open; errors are swallowed here, so call Close to see them.
    ~ZipArchiveFile();

    // Create makes a new file and refuses an existing one (Io); Open and ReadOnly read the
    // central directory and throw Format when the file is not a (single-disk) zip archive.
    void Open(const std::string& path, Mode mode);
    bool IsOpen() const { return file_ != nullptr; }

    std::size_t Count() const { return entries_.size(); }
    // Usage for an index of Count() or more.
    const ZipEntryInfo& EntryInfo(std::size_t index) const;
    // True when the entry's external attributes carry the directory bit (0x10); Usage as above.
    bool IsDirectory(std::size_t index) const;

    // Writes the entry into `folder` under its bare file name (not in create mode); a directory
    // entry only makes sure `folder` exists. Writes nothing for an encrypted entry or an unknown
    // method (Unsupported), or a name that is no plain file name (Name: empty, "..", absolute, a
    // folder alone, characters no file name may hold). Format when the local header does not
    // agree with the directory, Data or Zlib when the entry's data is damaged, Io when the file
    // cannot be written: the destination file then keeps what it held before.
    void Extract(std::size_t index, const std::string& folder,
                 std::size_t bufferSize = kBufferSize);

    // Adds the file as a new deflated entry named with its file name alone (a folder becomes a
    // stored entry without data). level is zlib's (-1 default, 0 to 9). Nothing is added when
    // the archive is read-only (Usage), full (Full), or the file cannot be read (Io).
    void AddFile(const std::string& path, int level = -1, std::size_t bufferSize = kBufferSize);

    // Writes the central directory and end record when entries were added, then closes the file.
    void Close();

private:
    struct SourceFile;

    void ReadCentralDirectory();
    std::uint64_t FindEndRecord(std::uint64_t fileSize);
    void ParseCentralDirectory(const std::vector<std::uint8_t>& bytes, std::size_t expected);
    std::uint64_t DataOffset(const ZipEntryInfo& entry);
    void CopyEntryData(const ZipEntryInfo& entry, std::FILE* out, std::size_t bufferSize);
    void InflateEntryData(const ZipEntryInfo& entry, std::FILE* out, std::size_t bufferSize);
    void WriteEntry(ZipEntryInfo& entry, SourceFile& source, int level, std::size_t bufferSize);
    void DeflateEntryData(ZipEntryInfo& entry, SourceFile& source, int level,
                          std::size_t bufferSize);
    void WriteExtracted(const ZipEntryInfo& entry, const std::string& target,
                        std::size_t bufferSize);
    void RequireOpen(Mode refused) const;
    void WriteCentralDirectory();
    void CloseFile();

    void Seek(std::uint64_t offset);
    void ReadExact(void* data, std::size_t size);
    void Write(const void* data, std::size_t size);
    std::uint64_t Tell();

    std::FILE* file_ = nullptr;
    std::string path_;
    Mode mode_ = Mode::ReadOnly;
    std::vector<ZipEntryInfo> entries_;
    std::string comment_;
    // Bytes in front of the archive proper (a self-extractor stub): added to every offset read.
    std::uint64_t bytesBefore_ = 0;
    std::uint64_t fileSize_ = 0;
    // Where the next entry's local header goes: the start of the central directory.
    std::uint64_t writeOffset_ = 0;
    bool modified_ = false;
};

} // namespace vellum
