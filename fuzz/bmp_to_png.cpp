// libFuzzer target: converts arbitrary bytes, stored as a .bmp file, to PNG.
#include "imaging/BmpToPng.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// The converter works on files; one pair of names per process keeps parallel jobs apart.
std::string InputPath() {
    const char* folder = std::getenv("TMPDIR");
    std::string base = (folder && *folder) ? folder : "/tmp";
    return base + "/vellum-fuzz-" + std::to_string(getpid()) + ".bmp";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string input = InputPath();
    static const std::string output = vellum::PngPathFor(input);
    std::FILE* file = std::fopen(input.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    vellum::ConvertBmpToPng(input);
    std::remove(input.c_str());
    std::remove(output.c_str());
    return 0;
}
