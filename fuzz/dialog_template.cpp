// libFuzzer target: reads arbitrary bytes as a dialog template, plain or extended; whatever reads
// back must write, read again to the same structure and write the same bytes again.
#include "formats/DialogTemplate.h"
#include "resource_template_check.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vellum::fuzz::CheckRoundTrip<vellum::DialogTemplate>(vellum::ByteView(data, size));
    return 0;
}
