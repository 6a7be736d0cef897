// libFuzzer target: opens arbitrary bytes as a zip archive and extracts every entry into a
// scratch folder under $TMPDIR; only ZipError may come out, never for misuse, and nothing may be
// written outside the scratch folder's "out" subfolder.
#include "iconset/ZipArchiveFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string MakeScratchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vellum-zip-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        __builtin_trap();
    return pattern;
}

// Every index below Count() is valid and the buffer is never empty, so a Usage error is a bug.
void CheckNotMisuse(const vellum::ZipError& e) {
    if (e.kind == vellum::ZipError::Kind::Usage)
        __builtin_trap();
}

// A damaged entry does not stop the entries after it from being tried.
void ExtractAll(const std::string& archive, const std::string& out) {
    vellum::ZipArchiveFile zip;
    zip.Open(archive, vellum::ZipArchiveFile::Mode::ReadOnly);
    for (std::size_t i = 0; i < zip.Count(); ++i) {
        try {
            zip.EntryInfo(i);
            zip.IsDirectory(i);
            zip.Extract(i, out, 1 + i % 3 * 700);
        } catch (const vellum::ZipError& e) {
            CheckNotMisuse(e);
        }
    }
    zip.Close();
}

// The scratch folder may hold the archive and "out", and "out" only plain files.
void CheckNothingEscaped(const std::string& folder) {
    for (const auto& item : fs::directory_iterator(folder)) {
        std::string name = item.path().filename().string();
        if (name != "in.zip" && name != "out")
            __builtin_trap();
    }
    if (fs::exists(folder + "/out"))
        for (const auto& item : fs::directory_iterator(folder + "/out"))
            if (!item.is_regular_file())
                __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string folder = MakeScratchFolder();
    std::string archive = folder + "/in.zip";
    if (std::FILE* f = std::fopen(archive.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    try {
        ExtractAll(archive, folder + "/out");
    } catch (const vellum::ZipError& e) {
        CheckNotMisuse(e);
    }
    CheckNothingEscaped(folder);
    fs::remove_all(folder);
    return 0;
}
