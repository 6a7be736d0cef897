// A bounds-checked, read-only window on untrusted bytes (a mapped executable, a resource).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace vellum {

// Every accessor checks the range first; out-of-range reads give 0 or an empty view, so callers
// test `Has` where the difference matters.
class ByteView {
public:
    ByteView() = default;
    ByteView(const std::uint8_t* data, std::size_t size) : data_(data), size_(data ? size : 0) {}
    explicit ByteView(std::span<const std::uint8_t> bytes) : ByteView(bytes.data(), bytes.size()) {}

    const std::uint8_t* Data() const { return data_; }
    std::size_t Size() const { return size_; }
    bool Empty() const { return size_ == 0; }

    // True when [offset, offset + length) lies inside the view, without overflow.
    bool Has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }

    std::uint8_t U8(std::uint64_t offset) const { return Has(offset, 1) ? data_[offset] : 0; }
    std::uint16_t U16(std::uint64_t offset) const {
        return Has(offset, 2) ? std::uint16_t(data_[offset] | data_[offset + 1] << 8) : 0;
    }
    std::uint32_t U32(std::uint64_t offset) const {
        if (!Has(offset, 4))
            return 0;
        const std::uint8_t* p = data_ + offset;
        return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
               std::uint32_t(p[3]) << 24;
    }
    std::uint64_t U64(std::uint64_t offset) const {
        return Has(offset, 8) ? U32(offset) | std::uint64_t(U32(offset + 4)) << 32 : 0;
    }

    // The sub-range, or an empty view when it does not fit.
    ByteView Sub(std::uint64_t offset, std::uint64_t length) const {
        return Has(offset, length) ? ByteView(data_ + offset, std::size_t(length)) : ByteView();
    }
    // Everything from offset to the end (empty when offset is past the end).
    ByteView From(std::uint64_t offset) const {
        return offset <= size_ ? ByteView(data_ + offset, std::size_t(size_ - offset)) : ByteView();
    }
    std::string_view Chars() const { return {reinterpret_cast<const char*>(data_), size_}; }

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace vellum
