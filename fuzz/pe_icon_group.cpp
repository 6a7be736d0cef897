// libFuzzer target: reads arbitrary bytes as a PE image and builds .ico files from its icon
// groups, by position and by ID, as the snapshot does for the icons a system names.
#include "iconset/IconFileTrim.h"
#include "iconset/IconSources.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vellum::ByteView image(data, size);
    for (int index : {0, 1, 2, -1, -2, -32768})
        if (auto icon = vellum::PeIconGroupFile(image, index))
            vellum::KeepMostColors(vellum::ByteView(icon->data(), icon->size()));
    return 0;
}
