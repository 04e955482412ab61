#include "AllocationFailure.h"

#include "Allocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
// Allocations still to go before the one that fails; 0 when none is to fail.
std::atomic<int> countdown{0};
std::atomic<bool> triggered{false};

bool FailNow()
{
    int left = countdown.load();
    while (left > 0 && !countdown.compare_exchange_weak(left, left - 1)) {
    }
    if (left != 1)
        return false;
    triggered = true;
    return true;
}

// The component's own allocator, failing when armed.
void* Allocate(std::size_t bytes) noexcept
{
    return FailNow() ? nullptr : orvane::Allocator::System().allocate(bytes);
}
void Release(void* block) noexcept
{
    orvane::Allocator::System().free(block);
}
orvane::Allocator failingAllocator{&Allocate, &Release};
} // namespace

FailNextAllocation::FailNextAllocation(int after)
{
    triggered = false;
    countdown = after + 1;
    orvane::AllocatorSeam::Replace(&failingAllocator);
}

FailNextAllocation::~FailNextAllocation()
{
    countdown = 0;
    orvane::AllocatorSeam::Replace(nullptr);
}

bool FailNextAllocation::Triggered() const
{
    return triggered;
}

// Objects are made with operator new (std::nothrow), which the standard library builds on
// this one.
void* operator new(std::size_t size)
{
    if (FailNow())
        throw std::bad_alloc();
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}
