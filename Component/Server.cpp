// The in-process server's entry points.
#include "ClassFactory.h"
#include "Module.h"
#include "Registration.h"
#include "TypeInfo.h"
#include "clsRegistry.h"

namespace {

constexpr orvane::CreatableClass kClasses[] = {
    {&CLSID_clsRegistry, &clsRegistry::CreateInstance},
};

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    // On FreeLibrary (not at process exit, when other DLLs may be gone already).
    else if (reason == DLL_PROCESS_DETACH && !reserved)
        orvane::ReleaseClassTypeInfo();
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
{
    return orvane::GetClassFactory(kClasses, std::size(kClasses), rclsid, riid, ppv);
}

STDAPI DllCanUnloadNow()
{
    return orvane::ModuleInUse() ? S_FALSE : S_OK;
}

STDAPI DllRegisterServer()
{
    return orvane::RegisterServer(orvane::RegistrationScope::Machine);
}

STDAPI DllUnregisterServer()
{
    return orvane::UnregisterServer(orvane::RegistrationScope::Machine);
}

// regsvr32 /n /i:user registers for the current user alone; /u /n /i:user undoes it. Without
// a command line (regsvr32 /i) it is machine-wide, like DllRegisterServer.
STDAPI DllInstall(BOOL bInstall, PCWSTR pszCmdLine)
{
    orvane::RegistrationScope scope = orvane::RegistrationScope::Machine;
    if (pszCmdLine && *pszCmdLine) {
        if (CompareStringOrdinal(pszCmdLine, -1, L"user", -1, TRUE) != CSTR_EQUAL)
            return E_INVALIDARG;
        scope = orvane::RegistrationScope::User;
    }
    return bInstall ? orvane::RegisterServer(scope) : orvane::UnregisterServer(scope);
}
