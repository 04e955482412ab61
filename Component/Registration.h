// What DllRegisterServer and DllInstall record, and their counterparts remove.
#pragma once

#include "RegistryEntries.h"

#include <string>
#include <vector>

namespace orvane {

enum class RegistrationScope {
    Machine, // HKEY_LOCAL_MACHINE\Software\Classes
    User,    // HKEY_CURRENT_USER\Software\Classes, no administrator needed
};

// The type library, the class and its ProgIDs, below a classes root.
std::vector<RegistryEntry> TypeLibraryEntries(const std::wstring& modulePath);
std::vector<RegistryEntry> ClassEntries(const std::wstring& modulePath);

HRESULT RegisterServer(RegistrationScope scope) noexcept;

// Removes this architecture's entries; the entries both architectures share go only when
// the other architecture has no registration of the class left.
HRESULT UnregisterServer(RegistrationScope scope) noexcept;

} // namespace orvane
