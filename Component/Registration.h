// What DllRegisterServer records and DllUnregisterServer removes.
#pragma once

#include "RegistryEntries.h"

#include <string>
#include <vector>

namespace orvane {

// The class and its ProgIDs, below a classes root (HKLM\Software\Classes machine-wide).
std::vector<RegistryEntry> ServerEntries(const std::wstring& modulePath);

HRESULT RegisterServer() noexcept;
HRESULT UnregisterServer() noexcept;

} // namespace orvane
