#include "RegistryAccess.h"

namespace orvane {
namespace {

RegOpenKeyExAProc FindRegOpenKeyExA()
{
    // advapi32 is a static import (RegCloseKey), so it is loaded for as long as we are and
    // needs no search: no DLL planted beside the client can stand in, and no loader flag
    // that older systems lack is needed.
    HMODULE advapi = GetModuleHandleW(L"advapi32.dll");
    if (!advapi)
        return nullptr;
    return reinterpret_cast<RegOpenKeyExAProc>(
        reinterpret_cast<void*>(GetProcAddress(advapi, "RegOpenKeyExA")));
}

constinit RegistryAccess systemAccess(&FindRegOpenKeyExA, &RegCloseKey);

} // namespace

RegistryAccess& RegistryAccess::System() noexcept
{
    return systemAccess;
}

} // namespace orvane
