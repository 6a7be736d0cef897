// libFuzzer target: reads arbitrary bytes as a menu template, plain or extended; whatever reads
// back must write, read again to the same structure and write the same bytes again.
#include "formats/MenuTemplate.h"
#include "resource_template_check.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vellum::fuzz::CheckRoundTrip<vellum::MenuTemplate>(vellum::ByteView(data, size));
    return 0;
}
