// Fuzz target: dumps arbitrary bytes as a PE image into a scratch project folder.
#include "common/ByteView.h"
#include "common/ErrorTrail.h"
#include "common/Prompter.h"
#include "decompiler/ExeDumper.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string folder =
        (std::filesystem::temp_directory_path() / ("vellum-exe-dump-" + std::to_string(getpid())))
            .string() +
        "/";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    vellum::ScriptedPrompter prompter;
    vellum::ExeDumper dumper(prompter);
    dumper.options.convertPng = true;
    dumper.options.groupFiles = true;
    dumper.options.visualStyleNaming = size % 2 == 0;
    static std::FILE* sink = std::fopen("/dev/null", "w");
    dumper.SetTextOutput(sink);
    dumper.DumpExe(vellum::ByteView(data, size), folder, "pe.xml");
    vellum::ClearErrorTrail();
    return 0;
}
