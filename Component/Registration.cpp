#include "Registration.h"

#include "Handles.h"
#include "Identity.h"
#include "Module.h"
#include "Orvane.h"

#include <olectl.h>
#include <wrl/client.h>

#include <new>

namespace orvane {
namespace {

constexpr wchar_t kMachineClasses[] = L"Software\\Classes";
constexpr SYSKIND kSysKind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;

std::wstring GuidText(REFGUID guid)
{
    wchar_t text[39];
    StringFromGUID2(guid, text, 39);
    return text;
}

HRESULT RegisterTypeLibrary(std::wstring path) noexcept
{
    Microsoft::WRL::ComPtr<ITypeLib> library;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
    if (SUCCEEDED(hr))
        hr = RegisterTypeLib(library.Get(), path.data(), nullptr); // takes a non-const path
    return hr;
}

bool TypeLibraryRegistered() noexcept
{
    BSTR path = nullptr;
    const HRESULT hr = QueryPathOfRegTypeLib(LIBID_Orvane, ORVANE_VERSION_MAJOR,
                                             ORVANE_VERSION_MINOR, 0, &path);
    SysFreeString(path);
    return SUCCEEDED(hr);
}

HRESULT UnregisterTypeLibrary() noexcept
{
    if (!TypeLibraryRegistered())
        return S_OK;
    return UnRegisterTypeLib(LIBID_Orvane, ORVANE_VERSION_MAJOR, ORVANE_VERSION_MINOR, 0,
                             kSysKind);
}

} // namespace

std::vector<RegistryEntry> ServerEntries(const std::wstring& modulePath)
{
    const std::wstring clsid = GuidText(CLSID_clsRegistry);
    const std::wstring classKey = L"CLSID\\" + clsid;
    const std::wstring progId = L"" ORVANE_PROGID;
    const std::wstring versioned = L"" ORVANE_PROGID_VERSIONED;
    const std::wstring name = L"" ORVANE_CLASS_NAME;
    return {
        {classKey, L"", name},
        {classKey + L"\\InprocServer32", L"", modulePath},
        {classKey + L"\\InprocServer32", L"ThreadingModel", L"" ORVANE_THREADING_MODEL},
        {classKey + L"\\ProgID", L"", versioned},
        {classKey + L"\\VersionIndependentProgID", L"", progId},
        {classKey + L"\\TypeLib", L"", GuidText(LIBID_Orvane)},
        {classKey + L"\\Version", L"", L"" ORVANE_TYPELIB_VERSION_TEXT},
        {progId, L"", name},
        {progId + L"\\CLSID", L"", clsid},
        {progId + L"\\CurVer", L"", versioned},
        {versioned, L"", name},
        {versioned + L"\\CLSID", L"", clsid},
    };
}

HRESULT RegisterServer() noexcept
{
    try {
        const std::wstring path = ThisModulePath();
        if (path.empty())
            return SELFREG_E_CLASS;
        if (FAILED(RegisterTypeLibrary(path)))
            return SELFREG_E_TYPELIB;

        UniqueHkey classes;
        LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMachineClasses, 0, nullptr, 0,
                                      KEY_READ | KEY_WRITE,
                                      nullptr, classes.put(), nullptr);
        if (status != ERROR_SUCCESS || FAILED(WriteEntries(classes.get(), ServerEntries(path)))) {
            UnregisterTypeLibrary();
            return SELFREG_E_CLASS;
        }
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT UnregisterServer() noexcept
{
    try {
        HRESULT result = S_OK;
        UniqueHkey classes;
        const LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMachineClasses, 0,
                                          KEY_QUERY_VALUE | KEY_SET_VALUE | DELETE,
                                          classes.put());
        if (status == ERROR_SUCCESS) {
            if (FAILED(RemoveEntries(classes.get(), ServerEntries(ThisModulePath()))))
                result = SELFREG_E_CLASS;
        } else if (status != ERROR_FILE_NOT_FOUND) {
            result = SELFREG_E_CLASS;
        }
        if (FAILED(UnregisterTypeLibrary()))
            result = SELFREG_E_TYPELIB;
        return result;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace orvane
