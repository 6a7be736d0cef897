// The manifest pe.xml while a dump writes it: text collected in memory and appended to the file
// in blocks, with single bytes patched afterwards wherever they already are.
#pragma once

#include "common/Result.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vellum {

class ManifestBuffer {
public:
    // `enabled` false collects nothing and writes nothing.
    ManifestBuffer(std::string path, bool enabled) : path_(std::move(path)), enabled_(enabled) {}

    void Append(std::string_view text);
    // Where the next text goes, counted from the start of the file.
    std::uint64_t Position() const { return flushed_ + pending_.size(); }
    // Replaces the byte at `offset` (below Position()), in memory or in the file.
    HRESULT Patch(std::uint64_t offset, char value);
    // Appends what was collected to the file; the first block creates it.
    HRESULT Flush();

private:
    std::string path_;
    bool enabled_;
    std::string pending_;
    std::uint64_t flushed_ = 0; // bytes already in the file
};

} // namespace vellum
