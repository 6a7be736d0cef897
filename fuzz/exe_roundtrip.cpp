// Fuzz target: arbitrary bytes as a PE image are decompiled into a scratch project folder, and
// whatever project that gives is compiled again, so that the compiler meets every header, section
// table and resource file a hostile executable can lead to.
#include "common/ByteView.h"
#include "common/ErrorTrail.h"
#include "common/Prompter.h"
#include "compiler/Compiler.h"
#include "decompiler/ExeDumper.h"
#include "formats/PeImage.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// A header may legitimately place sections up to 4 GB into the file; the compiler would pad that
// far in memory, beyond the fuzzer's memory limit. Such inputs are not compiled.
bool FitsInMemory(const vellum::PeImage& image) {
    constexpr std::uint64_t kLimit = 64u << 20;
    for (const vellum::SectionHeader& s : image.Sections())
        if (std::uint64_t(s.pointerToRawData) + s.sizeOfRawData > kLimit)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string folder = (std::filesystem::temp_directory_path() /
                                       ("vellum-exe-roundtrip-" + std::to_string(getpid())))
                                          .string() +
                                      "/";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    static std::FILE* sink = std::fopen("/dev/null", "w");
    vellum::ByteView bytes(data, size);
    vellum::PeImage image;
    if (FAILED(image.Parse(bytes)) || !FitsInMemory(image))
        return 0;
    vellum::ScriptedPrompter prompter;
    vellum::ExeDumper dumper(prompter);
    dumper.options.convertPng = size % 2 == 0;
    dumper.SetTextOutput(sink);
    if (SUCCEEDED(dumper.DumpExe(bytes, folder, "pe.xml"))) {
        vellum::Compiler compiler(prompter, sink);
        compiler.SetPaths("out.exe", folder);
        compiler.Compile(folder + "pe.xml");
    }
    vellum::ClearErrorTrail();
    return 0;
}
