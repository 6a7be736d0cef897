// libFuzzer target: reads arbitrary bytes as a PE file, lists its dialogs, menus, string tables,
// accelerator tables and version blocks, and writes each as resource script, as vellum -Script
// does.
#include "formats/PeResources.h"
#include "script/ResourceScript.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vellum::ByteView file(data, size);
    vellum::ResourceScript script;
    for (const vellum::PeResource& r : vellum::ReadPeResources(file, {4, 5, 6, 9, 16}))
        script.AddResource(r.type, r.name, r.language,
                           vellum::ByteView(r.bytes.data(), r.bytes.size()));
    return 0;
}
