// This module: its handle, and the count of what keeps it loaded.
#pragma once

#include <windows.h>

namespace orvane {

// Counts live instances, live class factories and factory locks; the module may unload
// only at zero.
void LockModule() noexcept;
void UnlockModule() noexcept;
bool ModuleInUse() noexcept;

// The module this code is linked into (the DLL, or a test program).
HMODULE ThisModule() noexcept;

} // namespace orvane
