// Fuzz target: reads arbitrary bytes as a 16-bit icon library, dumps and extracts it into a
// scratch folder under $TMPDIR, rebuilds a library from the dump with the same bytes as the
// template, then removes the folder.
#include "common/ErrorTrail.h"
#include "common/FileIo.h"
#include "common/Prompter.h"
#include "common/XmlDocument.h"
#include "compiler/NeWriter.h"
#include "decompiler/NeDumper.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string folder =
        (std::filesystem::temp_directory_path() / ("vellum-ne-dump-" + std::to_string(getpid())))
            .string() +
        "/";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string input = folder + "input.icl";
    vellum::WriteWholeFile(input, data, size);
    vellum::ScriptedPrompter prompter;
    vellum::NeDumper dumper(prompter);
    if (SUCCEEDED(dumper.Open(input))) {
        dumper.Dump(folder + "ne.xml");
        for (unsigned type : {1u, 3u, 12u, 14u})
            dumper.ExtractType(type, folder + "x.res");
        dumper.ExtractOne(14, 1, folder + "one.ico", true);
        vellum::XmlDocument manifest;
        std::string rebuilt;
        if (SUCCEEDED(manifest.Load(folder + "ne.xml")))
            vellum::NeWriter().Write(manifest, folder, input, &rebuilt);
    }
    vellum::ClearErrorTrail();
    std::filesystem::remove_all(folder);
    return 0;
}
