// Writes the files of a dump's resources into the project folder and collects the manifest's
// lines. It keeps what the whole dump shares (the names already taken, the string tables, the
// PNG files being encoded) and nothing about where the directory walk stands.
#pragma once

#include "common/ByteView.h"
#include "common/Prompter.h"
#include "common/Result.h"
#include "common/TaskPool.h"
#include "decompiler/ExeDumper.h"
#include "decompiler/ManifestBuffer.h"
#include "decompiler/StringTableWriter.h"
#include "imaging/BmpToPng.h"

#include <cstdint>
#include <future>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vellum {

// A resource the walk reached, with what its entries decided about its file.
struct ResourceLeaf {
    std::uint32_t type = 0;      // the type's ID, or the name field of a named type
    std::string_view outputName; // the name its file is written under
    bool stripExt = false;
    unsigned language = 0;
    unsigned firstStringId = 0; // of a string-table block
    std::uint32_t rva = 0;
    ByteView data;
};

class ResourceFileWriter {
public:
    ResourceFileWriter(const std::string& folder, const std::string& manifestName,
                       const ExeDumpOptions& options, Prompter& prompter,
                       DiagnosticsHook diagnostics);
    ~ResourceFileWriter();

    // A file of the project that no resource file may take (compared without case).
    void Reserve(const std::string& relativePath);
    void Manifest(std::string_view text) { manifest_.Append(text); }
    // Writes the resource's files and its File line, after `indent`.
    HRESULT WriteLeaf(const ResourceLeaf& leaf, const std::string& indent);
    // Waits for the PNG files; each one written replaces its bitmap file.
    HRESULT FinishPngConversions();
    // Saves STRINGS.XML when a string table was written.
    HRESULT SaveStrings();
    HRESULT FlushManifest() { return manifest_.Flush(); }

private:
    struct Written {
        std::string path;       // relative, with backslashes
        std::uint32_t size = 0; // what the File line records
        bool pngQueued = false; // a PNG of the bitmap file is being encoded
    };

    HRESULT WriteLeafData(const ResourceLeaf& leaf, Written& written);
    HRESULT WriteOrName(bool write, const ResourceLeaf& leaf, Written& written);
    HRESULT WriteBitmapFile(const ResourceLeaf& leaf, Written& written);
    HRESULT WriteIconFile(const ResourceLeaf& leaf, Written& written);
    HRESULT WriteGroupFiles(const ResourceLeaf& leaf, Written& written);
    HRESULT WriteGroupFile(const ResourceLeaf& leaf, std::uint32_t& lastImage);

    std::string DeriveRelativePath(std::string_view outputName, unsigned language) const;
    HRESULT WriteFile(std::string_view outputName, unsigned language, ByteView head, ByteView body,
                      std::string& path);
    void QueuePngConversion(const std::string& bmpPath);

    std::string folder_;
    const ExeDumpOptions& options_;
    Prompter& prompter_;
    DiagnosticsHook diagnostics_;
    ManifestBuffer manifest_;
    StringTableWriter strings_;
    std::set<std::string> writtenFiles_; // upper-cased relative paths of this dump

    // 32-bit bitmaps being turned into PNG files. Each File line says Png='0' until its PNG is
    // written; then the bitmap file goes and the digit becomes 1.
    struct PendingPng {
        std::string bmpPath;
        std::uint64_t digitOffset = 0; // of the Png digit in the manifest
        std::future<bool> converted;
    };
    std::vector<PendingPng> pendingPngs_;
    std::unique_ptr<TaskPool> pool_; // last: its workers finish before the rest goes
};

} // namespace vellum
