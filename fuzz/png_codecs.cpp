// libFuzzer target: decodes arbitrary bytes as a PNG and turns bitmaps into icon files.
#include "common/Prompter.h"
#include "imaging/ImageCodecs.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// Answers every question with OK and keeps nothing, so memory stays flat over a long run.
class SilentPrompter : public vellum::Prompter {
public:
    int Show(const vellum::MessageDialog&) override { return IDOK; }
};

// One icon path per process keeps parallel jobs apart.
std::string IconPath() {
    const char* folder = std::getenv("TMPDIR");
    std::string base = (folder && *folder) ? folder : "/tmp";
    return base + "/vellum-fuzz-" + std::to_string(getpid()) + ".ico";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string icon = IconPath();
    SilentPrompter prompter;
    vellum::ByteView input(data, size);
    // A decoded PNG makes a well-formed bitmap, which reaches deeper into the icon builder than
    // random bytes do; the raw input is tried as a bitmap file as well.
    if (auto bitmap = vellum::PngToBmpBytes(input))
        vellum::BitmapToIcon(vellum::ByteView(bitmap->data(), bitmap->size()), icon, prompter);
    vellum::BitmapToIcon(input, icon, prompter);
    std::remove(icon.c_str());
    return 0;
}
