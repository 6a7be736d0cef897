// libFuzzer target: reads arbitrary bytes as an .ico file and reduces it as snapshots do; every
// file that comes out must read back as an icon file with no more images than went in.
#include "iconset/IconFileTrim.h"

#include <cstddef>
#include <cstdint>

namespace {

void CheckResult(const std::optional<std::vector<std::uint8_t>>& out, std::size_t images) {
    if (!out)
        __builtin_trap(); // the input was an icon file, so the result must be one too
    auto back = vellum::ReadIconFile(vellum::ByteView(out->data(), out->size()));
    if (!back || back->empty() || back->size() > images)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vellum::ByteView file(data, size);
    auto images = vellum::ReadIconFile(file);
    auto kept = vellum::KeepMostColors(file);
    if (!images) {
        if (kept || vellum::RemoveLargerImages(file, 32))
            __builtin_trap();
        return 0;
    }
    // Entries may share image bytes, so a result can grow past the size cap and be refused.
    if (!kept)
        return 0;
    CheckResult(kept, images->size());
    for (int limit : {16, 32, 48, 256})
        if (auto limited = vellum::RemoveLargerImages(file, limit))
            CheckResult(limited, images->size());
    return 0;
}
