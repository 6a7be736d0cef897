// Turns a PE image into a project folder: header and section files, one file per resource, the
// string tables in STRINGS.XML and the manifest pe.xml that records the resource tree.
#pragma once

#include "common/ByteView.h"
#include "common/FileIo.h"
#include "common/Prompter.h"
#include "common/Result.h"
#include "common/TaskPool.h"
#include "formats/PeImage.h"
#include "imaging/BmpToPng.h"

#include <cstdint>
#include <cstdio>
#include <future>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace vellum {

class StringTableWriter;

// A file the window keeps in a project folder whose changes were never compiled. No resource
// file takes its name.
constexpr const char* kUncompiledMarkerFile = "vellum.modified";

struct ExeDumpOptions {
    bool writeDosHeader = true;
    bool writeManifest = true;
    bool writeNtHeader = true;
    bool writeRaw = true;
    bool writeStrings = true;
    bool writeVersion = true;
    bool writeImages = true;
    bool convertPng = false;
    bool groupFiles = true;
    // Resource names such as BLUE_NORMAL_INI become BLUE\NORMAL.INI (visual styles).
    bool visualStyleNaming = false;
    bool dumpSymbols = true;
    bool dumpSections = true;
};

class ExeDumper {
public:
    explicit ExeDumper(Prompter& prompter);
    ~ExeDumper();

    ExeDumpOptions options;
    // Where the symbol table and section dumps go; null prints nothing.
    void SetTextOutput(std::FILE* out) { textOut_ = out; }
    // Receives the PNG converter's diagnostic lines. PNG files are encoded on worker threads, so
    // the hook may be called from several threads at once.
    void SetDiagnostics(DiagnosticsHook hook) { diagnostics_ = std::move(hook); }

    // Dumps the image into `folder` with the manifest named `manifestName` ("pe.xml").
    HRESULT DumpExe(ByteView image, const std::string& folder, const std::string& manifestName);

private:
    HRESULT WriteHeaderFiles();
    HRESULT WriteNtFiles();
    HRESULT WriteOverlay();
    HRESULT DumpResourceSection();
    bool HasResourceDirectory() const;
    HRESULT DumpEmptyTree();
    HRESULT DumpDirectory(std::uint32_t offset, int level, std::uint32_t nameOrId);
    HRESULT DumpEntries(std::uint32_t offset, int level, unsigned named, unsigned ids);
    HRESULT DumpEntry(std::uint32_t offset, int level);
    void NameEntry(std::uint32_t nameField, int level);
    HRESULT DumpLeaf(std::uint32_t dataEntry, int level, unsigned language);
    HRESULT WriteLeafData(ByteView data, unsigned language, std::uint32_t& written, int& png);

    HRESULT WriteBitmapFile(ByteView data, unsigned language, int& png);
    HRESULT WriteIconFile(ByteView data, unsigned language, bool cursor);
    HRESULT WriteGroupFile(ByteView data, unsigned language, bool cursor, std::uint32_t& lastImage);
    HRESULT WriteRaw(ByteView data, unsigned language);

    std::string DeriveRelativePath(unsigned language) const;
    HRESULT OpenOutput(unsigned language);
    HRESULT WriteOutput(const void* data, std::size_t size);
    HRESULT CloseOutput();
    HRESULT WriteProjectFile(const std::string& name, const void* data, std::size_t size);
    void QueuePngConversion(const std::string& bmpPath);
    HRESULT FinishPngConversions();
    HRESULT PatchManifestByte(std::uint64_t offset, char value);

    void Manifest(const std::string& text);
    HRESULT FlushManifest();
    std::string Indent(int level) const { return std::string(std::size_t(level) * 5, ' '); }
    std::string ReadName(std::uint32_t offset) const;

    Prompter& prompter_;
    std::FILE* textOut_ = stdout;
    DiagnosticsHook diagnostics_;

    ByteView file_;
    PeImage image_;
    std::string folder_;
    std::string manifestPath_;
    bool manifestStarted_ = false;
    std::string manifest_;

    ByteView rsrc_;              // the resource section's raw data
    std::int64_t rvaToFile_ = 0; // file offset = RVA + rvaToFile_
    std::set<std::uint32_t> visited_;

    std::uint32_t currentType_ = 0;
    std::string currentTypeName_;
    std::string outputName_; // the name the next file is written under
    std::string outputPath_; // relative path of the file last opened (backslashes)
    bool stripExt_ = false;
    unsigned firstStringId_ = 0;
    OutputFile output_;
    std::set<std::string> writtenFiles_; // upper-cased relative paths of this dump
    std::unique_ptr<StringTableWriter> strings_;
    std::uint64_t manifestFlushed_ = 0; // bytes of the manifest already in its file

    // 32-bit bitmaps being turned into PNG files. Each File line says Png='0' until its PNG is
    // written; then the bitmap file goes and the digit becomes 1.
    struct PendingPng {
        std::string bmpPath;
        std::uint64_t digitOffset = 0; // of the Png digit in the manifest
        std::future<bool> converted;
    };
    std::vector<PendingPng> pendingPngs_;
    bool pngQueued_ = false; // the bitmap just written awaits its PNG
    std::unique_ptr<TaskPool> pool_;
};

} // namespace vellum
