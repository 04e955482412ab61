#include "AllocationFailure.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<bool> armed{false};
std::atomic<bool> triggered{false};
} // namespace

FailNextAllocation::FailNextAllocation()
{
    triggered = false;
    armed = true;
}

FailNextAllocation::~FailNextAllocation()
{
    armed = false;
}

bool FailNextAllocation::Triggered() const
{
    return triggered;
}

void* operator new(std::size_t size)
{
    if (armed.exchange(false)) {
        triggered = true;
        throw std::bad_alloc();
    }
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
