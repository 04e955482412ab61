// This module: its handle, its file, and the count of what keeps it loaded.
#pragma once

#include "Handles.h"

#include <windows.h>

namespace orvane {

// Counts live instances and class-factory locks; the module may unload only at zero.
void LockModule() noexcept;
void UnlockModule() noexcept;
bool ModuleInUse() noexcept;

// The module this code is linked into (the DLL, or a test program).
HMODULE ThisModule() noexcept;

// The module's full path, whatever its length, into path (released first).
HRESULT ThisModulePath(UniqueBstr& path) noexcept;

} // namespace orvane
