#include "RegistryAccess.h"

namespace orvane {
namespace {

RegOpenKeyExAProc FindRegOpenKeyExA()
{
    // System32 only, so that a planted advapi32.dll beside the client is never loaded. The
    // module stays loaded for as long as we keep the address.
    HMODULE advapi = LoadLibraryExW(L"advapi32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
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
