// String blocks for XmlDocument.
#include "XmlPool.h"

namespace vellum {

StringPool::Block* StringPool::NewBlock(std::size_t capacity) {
    void* raw = ::operator new(sizeof(Block) + capacity, std::nothrow);
    if (!raw)
        return nullptr;
    return new (raw) Block{nullptr, 0, capacity};
}

char* StringPool::Allocate(std::size_t size) {
    static char empty[1] = {0};
    if (size == 0)
        return empty;
    if (head_ && head_->capacity - head_->used >= size) {
        char* out = head_->Data() + head_->used;
        head_->used += size;
        return out;
    }
    Block* block = NewBlock(size > kBlockSize ? size : kBlockSize);
    if (!block)
        return nullptr;
    block->used = size;
    // An oversized block is full at once; linking it behind the current block keeps the
    // current block's free room in use for the strings that follow.
    if (size > kBlockSize && head_) {
        block->next = head_->next;
        head_->next = block;
    } else {
        block->next = head_;
        head_ = block;
    }
    return block->Data();
}

void StringPool::Clear() {
    while (head_) {
        Block* next = head_->next;
        head_->~Block();
        ::operator delete(head_);
        head_ = next;
    }
}

} // namespace vellum
