// What DllRegisterServer and DllInstall record, and their counterparts remove.
#pragma once

#include <windows.h>

namespace orvane {

enum class RegistrationScope {
    Machine, // HKEY_LOCAL_MACHINE\Software\Classes
    User,    // HKEY_CURRENT_USER\Software\Classes, no administrator needed
};

HRESULT RegisterServer(RegistrationScope scope) noexcept;

// Removes only what this file's registration wrote: this view's entries while the class
// names this file, and the entries both views share once no view has the class any more.
HRESULT UnregisterServer(RegistrationScope scope) noexcept;

} // namespace orvane
