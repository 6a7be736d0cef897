// An owned block of bytes with the resize rules the engine relies on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vellum {

// Resizing to the current size keeps the block (and zeroes it when asked); resizing to another
// size frees the block and allocates a new one, so its contents are not preserved. Size 0 leaves
// the buffer empty.
class ByteBuffer {
public:
    ByteBuffer() = default;
    explicit ByteBuffer(std::size_t size, bool zero = true) { Resize(size, zero); }
    ByteBuffer(const std::uint8_t* bytes, std::size_t size);
    ByteBuffer(const ByteBuffer& other);
    ByteBuffer& operator=(const ByteBuffer& other);
    ByteBuffer(ByteBuffer&& other) noexcept;
    ByteBuffer& operator=(ByteBuffer&& other) noexcept;
    ~ByteBuffer() = default;

    // Returns false when the allocation failed; the buffer is then empty.
    bool Resize(std::size_t size, bool zero = false);
    void Clear();

    std::uint8_t* Data() { return data_.get(); }
    const std::uint8_t* Data() const { return data_.get(); }
    std::size_t Size() const { return size_; }
    bool Empty() const { return size_ == 0; }

    std::uint8_t* begin() { return data_.get(); }
    std::uint8_t* end() { return data_.get() + size_; }
    const std::uint8_t* begin() const { return data_.get(); }
    const std::uint8_t* end() const { return data_.get() + size_; }

private:
    std::unique_ptr<std::uint8_t[]> data_;
    std::size_t size_ = 0;
};

} // namespace vellum
