// libFuzzer target: reads arbitrary bytes as a text file, once as an .ini (UTF-16) and once as
// 8-bit text, and writes the text back unchanged. The bytes must come back exactly: the text
// view relies on that to lose nothing of a file it shows.
#include "common/TextFile.h"

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vellum::ByteView bytes(data, size);
    for (const char* name : {"a.ini", "a.txt"}) {
        vellum::DecodedText decoded = vellum::DecodeTextFile(name, bytes);
        std::optional<std::vector<std::uint8_t>> again =
            vellum::EncodeTextFile(decoded, decoded.text);
        if (!again || again->size() != size || !std::equal(again->begin(), again->end(), data))
            std::abort();
    }
    return 0;
}
