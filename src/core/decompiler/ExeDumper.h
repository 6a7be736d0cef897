// Turns a PE image into a project folder: header and section files, one file per resource, the
// string tables in STRINGS.XML and the manifest pe.xml that records the resource tree.
#pragma once

#include "common/ByteView.h"
#include "common/Prompter.h"
#include "common/Result.h"
#include "formats/PeImage.h"
#include "imaging/BmpToPng.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace vellum {

class ResourceFileWriter;

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
    HRESULT WriteProjectFile(const std::string& name, const void* data, std::size_t size);
    HRESULT DumpResourceSection();
    bool HasResourceDirectory() const;
    HRESULT DumpEmptyTree();

    Prompter& prompter_;
    std::FILE* textOut_ = stdout;
    DiagnosticsHook diagnostics_;

    ByteView file_;
    PeImage image_;
    std::string folder_;
    std::unique_ptr<ResourceFileWriter> writer_; // the resource files and the manifest
};

} // namespace vellum
