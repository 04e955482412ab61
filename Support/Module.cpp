#include "Module.h"

#include <atomic>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace orvane {
namespace {
std::atomic<long> locks{0};
} // namespace

void LockModule() noexcept
{
    locks.fetch_add(1, std::memory_order_relaxed);
}

void UnlockModule() noexcept
{
    locks.fetch_sub(1, std::memory_order_release);
}

bool ModuleInUse() noexcept
{
    return locks.load(std::memory_order_acquire) != 0;
}

HMODULE ThisModule() noexcept
{
    return reinterpret_cast<HMODULE>(&__ImageBase);
}

} // namespace orvane
