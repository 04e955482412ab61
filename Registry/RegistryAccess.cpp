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

// The import is called through a function of ours: the address of an imported routine is
// read from the import table at run time, and no start-up code of a DLL would store it.
LONG WINAPI CloseKey(HKEY key)
{
    return RegCloseKey(key);
}

constinit RegistryAccess systemAccess(&FindRegOpenKeyExA, &CloseKey);

} // namespace

RegistryAccess& RegistryAccess::System() noexcept
{
    return systemAccess;
}

} // namespace orvane
