#include "ByteBuffer.h"

#include <cstring>
#include <new>

namespace vellum {

ByteBuffer::ByteBuffer(const std::uint8_t* bytes, std::size_t size) {
    if (Resize(size) && size != 0)
        std::memcpy(data_.get(), bytes, size);
}

ByteBuffer::ByteBuffer(const ByteBuffer& other) : ByteBuffer(other.Data(), other.Size()) {}

ByteBuffer& ByteBuffer::operator=(const ByteBuffer& other) {
    if (this != &other) {
        ByteBuffer copy(other);
        *this = std::move(copy);
    }
    return *this;
}

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : data_(std::move(other.data_)), size_(other.size_) {
    other.size_ = 0;
}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
    data_ = std::move(other.data_);
    size_ = other.size_;
    other.size_ = 0;
    return *this;
}

bool ByteBuffer::Resize(std::size_t size, bool zero) {
    if (size == size_) {
        if (zero && size_ != 0)
            std::memset(data_.get(), 0, size_);
        return true;
    }
    Clear();
    if (size == 0)
        return true;
    data_.reset(zero ? new (std::nothrow) std::uint8_t[size]() : new (std::nothrow) std::uint8_t[size]);
    if (!data_)
        return false;
    size_ = size;
    return true;
}

void ByteBuffer::Clear() {
    data_.reset();
    size_ = 0;
}

} // namespace vellum
