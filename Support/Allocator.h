// Heap memory for the component: the process heap, behind a seam so that tests can make an
// allocation fail. Nothing here throws; a failed allocation is a null pointer.
#pragma once

#include "Seam.h"

#include <cstddef>
#include <utility>

namespace orvane {

struct Allocator {
    void* (*allocate)(std::size_t bytes) noexcept;
    void (*free)(void* block) noexcept;

    static Allocator& System() noexcept;
};

using AllocatorSeam = Seam<Allocator>;

inline void* Allocate(std::size_t bytes) noexcept
{
    return AllocatorSeam::Current().allocate(bytes);
}

inline void Free(void* block) noexcept
{
    if (block)
        AllocatorSeam::Current().free(block);
}

// A base for the component's objects: they live on the component's allocator, and a failed
// allocation makes the new-expression yield null (the allocation function does not throw).
struct HeapObject {
    static void* operator new(std::size_t bytes) noexcept { return Allocate(bytes); }
    static void operator delete(void* block) noexcept { Free(block); }
};

// An array of trivially copyable T on the heap, freed when the owner goes away.
template <class T>
class HeapArray {
public:
    HeapArray() noexcept = default;
    HeapArray(HeapArray&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0))
    {
    }
    HeapArray& operator=(HeapArray&& other) noexcept
    {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        return *this;
    }
    ~HeapArray() { Free(data_); }

    // Replaces the contents with size uninitialised elements (none, and no memory, for 0);
    // false when out of memory.
    bool Reset(std::size_t size) noexcept
    {
        Free(std::exchange(data_, nullptr));
        size_ = 0;
        if (size == 0)
            return true;
        if (size > static_cast<std::size_t>(-1) / sizeof(T))
            return false;
        data_ = static_cast<T*>(Allocate(size * sizeof(T)));
        if (data_)
            size_ = size;
        return data_ != nullptr;
    }

    T* data() noexcept { return data_; }
    const T* data() const noexcept { return data_; }
    std::size_t size() const noexcept { return size_; }

private:
    T* data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace orvane
