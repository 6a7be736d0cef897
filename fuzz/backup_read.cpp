// libFuzzer target: reads arbitrary bytes as a backup's registry.reg and as its files.txt; what
// is accepted must name only keys of non-empty parts, string values, and shell files whose copies
// stay inside files/, and the note read alone must be the one the whole reading gives.
#include "common/ErrorTrail.h"
#include "iconset/ApplyBackup.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vellum::SavedState state;
    std::vector<std::uint8_t> bytes(data, data + size);
    std::string note = vellum::ReadSavedNote(bytes);
    if (SUCCEEDED(vellum::ReadSavedRegistry(bytes, &state)) && note != state.note)
        __builtin_trap(); // the list of backups shows the note a restore reads
    if (SUCCEEDED(vellum::ReadSavedRegistry(bytes, &state)))
        for (const vellum::SavedKey& key : state.keys) {
            if (key.key.empty() || key.key.find("\\\\") != std::string::npos ||
                (!key.existed && !key.values.empty()))
                __builtin_trap();
            for (const vellum::SavedValue& value : key.values)
                if (value.type != 1 && value.type != 2)
                    __builtin_trap();
        }
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (SUCCEEDED(vellum::ReadSavedFiles(text, &state)))
        for (const vellum::SavedFile& file : state.files)
            if (file.copy.find_first_of("\\/") != std::string::npos || file.copy == ".." ||
                file.windowsPath.find("\\..\\") != std::string::npos)
                __builtin_trap();
    vellum::ClearErrorTrail();
    return 0;
}
