// This module: its handle, its file, and the count of what keeps it loaded.
#pragma once

#include <windows.h>

#include <string>

namespace orvane {

// Counts live instances, live class factories and factory locks; the module may unload
// only at zero.
void LockModule() noexcept;
void UnlockModule() noexcept;
bool ModuleInUse() noexcept;

// The module this code is linked into (the DLL, or a test program).
HMODULE ThisModule() noexcept;

// The module's full path, whatever its length. Empty when it cannot be had.
std::wstring ThisModulePath();

} // namespace orvane
