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

HRESULT ThisModulePath(UniqueBstr& path) noexcept
{
    path.reset();
    for (UINT capacity = MAX_PATH;; capacity *= 2) {
        UniqueBstr buffer(SysAllocStringLen(nullptr, capacity));
        if (!buffer)
            return E_OUTOFMEMORY;
        const DWORD length = GetModuleFileNameW(ThisModule(), buffer.get(), capacity);
        if (length == 0)
            return HRESULT_FROM_WIN32(GetLastError());
        // A full buffer may hold a truncated path: try again with more room.
        if (length < capacity) {
            path.reset(SysAllocStringLen(buffer.get(), length));
            return path ? S_OK : E_OUTOFMEMORY;
        }
        if (capacity > 0x8000)
            return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    }
}

} // namespace orvane
