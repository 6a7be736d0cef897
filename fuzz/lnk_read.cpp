// libFuzzer target: parses arbitrary bytes as a shell link; a link that parses must take a new
// icon and parse again with that icon, its other strings and its target unchanged.
#include "platform/ShellLinkFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vellum::ShellLinkFile link;
    std::string error;
    if (FAILED(link.Parse(std::vector<std::uint8_t>(data, data + size), &error))) {
        if (error.empty())
            __builtin_trap();
        return 0;
    }
    std::string target = link.Info().targetPath;
    if (FAILED(link.SetIcon("C:\\icons\\set.icl", -5, &error)))
        __builtin_trap(); // only locations a link cannot hold are refused; this one is ASCII
    if (link.Info().iconLocation != "C:\\icons\\set.icl" || link.Info().iconIndex != -5 ||
        link.Info().targetPath != target)
        __builtin_trap();
    return 0;
}
