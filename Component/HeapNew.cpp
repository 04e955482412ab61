// The DLL's operator new and delete: the component's allocator, which never throws. Linked
// into the DLL alone, so that no C++ exception runtime comes with the standard ones.
#include "Allocator.h"

#include <cstdlib>
#include <new>

void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept
{
    return orvane::Allocate(bytes);
}

void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept
{
    return orvane::Allocate(bytes);
}

// The component allocates only with std::nothrow; a throwing new has nothing to throw here.
void* operator new(std::size_t bytes)
{
    if (void* block = orvane::Allocate(bytes))
        return block;
    std::abort();
}

void* operator new[](std::size_t bytes)
{
    return operator new(bytes);
}

void operator delete(void* block) noexcept { orvane::Free(block); }
void operator delete[](void* block) noexcept { orvane::Free(block); }
void operator delete(void* block, std::size_t) noexcept { orvane::Free(block); }
void operator delete[](void* block, std::size_t) noexcept { orvane::Free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { orvane::Free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { orvane::Free(block); }
