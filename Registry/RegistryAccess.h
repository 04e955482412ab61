// How the probe reaches the registry: RegOpenKeyExA, looked up by name at first use, and
// RegCloseKey. The routines sit behind a seam so that tests can count every open and close
// and make the look-up fail, which the system's own routines never would on demand.
#pragma once

#include "Seam.h"

#include <windows.h>

#include <atomic>

namespace orvane {

using RegOpenKeyExAProc = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
using RegCloseKeyProc = LONG(WINAPI*)(HKEY);

class RegistryAccess {
public:
    // Looks RegOpenKeyExA up; nullptr, with the thread's last error set, when it is missing.
    using FindProc = RegOpenKeyExAProc (*)();

    constexpr RegistryAccess(FindProc find, RegCloseKeyProc close) noexcept
        : find_(find), close_(close)
    {
    }

    // The open routine, found once and then reused. A failed look-up is not kept, so the
    // next call looks again; racing threads at worst store the same address twice.
    RegOpenKeyExAProc OpenRoutine() noexcept
    {
        RegOpenKeyExAProc open = open_.load(std::memory_order_acquire);
        if (!open && (open = find_()) != nullptr)
            open_.store(open, std::memory_order_release);
        return open;
    }

    LONG Close(HKEY key) const noexcept { return close_(key); }

    static RegistryAccess& System() noexcept;

private:
    FindProc find_;
    RegCloseKeyProc close_;
    std::atomic<RegOpenKeyExAProc> open_{nullptr};
};

using RegistrySeam = Seam<RegistryAccess>;

// A key opened through a RegistryAccess, closed through the same one.
class OpenedKey {
public:
    explicit OpenedKey(const RegistryAccess& registry) noexcept : registry_(registry) {}
    ~OpenedKey()
    {
        if (key_)
            registry_.Close(key_);
    }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;

    HKEY* put() noexcept { return &key_; }
    // Gives the handle up without closing it (an open that failed delivered none).
    void release() noexcept { key_ = nullptr; }

private:
    const RegistryAccess& registry_;
    HKEY key_ = nullptr;
};

} // namespace orvane
