#include "Allocator.h"

#include <windows.h>

namespace orvane {
namespace {

void* HeapAllocate(std::size_t bytes) noexcept
{
    return HeapAlloc(GetProcessHeap(), 0, bytes ? bytes : 1);
}

void HeapRelease(void* block) noexcept
{
    HeapFree(GetProcessHeap(), 0, block);
}

constinit Allocator systemAllocator{&HeapAllocate, &HeapRelease};

} // namespace

Allocator& Allocator::System() noexcept
{
    return systemAllocator;
}

} // namespace orvane
