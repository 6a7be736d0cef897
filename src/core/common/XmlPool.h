// Block allocators behind XmlDocument: records and strings live until the document is reset.
#pragma once

#include <cstddef>
#include <new>
#include <type_traits>

namespace vellum {

// Hands out value-initialised records from blocks of a fixed count, so a tree of a million elements
// costs ten thousand allocations, not a million. Records are never freed one by one.
template <typename T, std::size_t kPerBlock = 100> class RecordPool {
public:
    RecordPool() = default;
    RecordPool(const RecordPool&) = delete;
    RecordPool& operator=(const RecordPool&) = delete;
    ~RecordPool() { Clear(); }

    // A value-initialised record, or nullptr when memory is exhausted. Records are initialised
    // as they are handed out rather than a block at a time, while their cache lines are hot.
    T* New() {
        if (next_ == limit_ && !Grow())
            return nullptr;
        return new (next_++) T{};
    }

    void Clear() {
        while (head_) {
            Block* next = head_->next;
            ::operator delete(head_);
            head_ = next;
        }
        next_ = limit_ = nullptr;
    }

private:
    static_assert(std::is_trivially_destructible_v<T>, "records are never destroyed one by one");

    struct Block {
        explicit Block(Block* following) : next(following) {}
        Block* next;
        alignas(T) unsigned char storage[kPerBlock * sizeof(T)];
    };

    bool Grow() {
        void* raw = ::operator new(sizeof(Block), std::nothrow);
        if (!raw)
            return false;
        head_ = new (raw) Block(head_);
        next_ = reinterpret_cast<T*>(head_->storage);
        limit_ = next_ + kPerBlock;
        return true;
    }

    Block* head_ = nullptr;
    T* next_ = nullptr;  // the next free slot of the newest block
    T* limit_ = nullptr; // the end of the newest block
};

// Character storage for names and values the program creates. Strings are packed into blocks of
// kBlockSize bytes; a string longer than that gets a block of its own.
class StringPool {
public:
    static constexpr std::size_t kBlockSize = 16000;

    StringPool() = default;
    StringPool(const StringPool&) = delete;
    StringPool& operator=(const StringPool&) = delete;
    ~StringPool() { Clear(); }

    // Room for `size` bytes (not NUL-terminated), or nullptr when memory is exhausted.
    char* Allocate(std::size_t size);
    void Clear();

private:
    struct Block {
        Block* next;
        std::size_t used;
        std::size_t capacity;
        char* Data() { return reinterpret_cast<char*>(this + 1); }
    };
    static Block* NewBlock(std::size_t capacity);

    Block* head_ = nullptr;
};

} // namespace vellum
