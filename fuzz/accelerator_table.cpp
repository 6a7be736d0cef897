// libFuzzer target: reads arbitrary bytes as an accelerator table; whatever reads back must write,
// read again to the same structure and write the same bytes again.
#include "formats/AcceleratorTable.h"
#include "resource_template_check.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vellum::fuzz::CheckRoundTrip<vellum::AcceleratorTable>(vellum::ByteView(data, size));
    return 0;
}
