#include "Registration.h"

#include "Handles.h"
#include "Identity.h"
#include "ModulePath.h"
#include "ModuleTypeLibrary.h"
#include "Orvane.h"

#include <olectl.h>
#include <wrl/client.h>

#include <new>

namespace orvane {
namespace {

constexpr bool kIs64Bit = sizeof(void*) == 8;
constexpr wchar_t kClassesPath[] = L"Software\\Classes";
// The standard marshaller for OLE Automation interfaces, driven by the type library.
constexpr wchar_t kAutomationProxy[] = L"{00020424-0000-0000-C000-000000000046}";

HKEY ScopeHive(RegistrationScope scope)
{
    return scope == RegistrationScope::User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

std::wstring GuidText(REFGUID guid)
{
    wchar_t text[39];
    StringFromGUID2(guid, text, 39);
    return text;
}

std::wstring ClassKey()
{
    return L"CLSID\\" + GuidText(CLSID_clsRegistry);
}

std::vector<RegistryEntry> Select(std::vector<RegistryEntry> entries, bool shared)
{
    std::erase_if(entries, [shared](const RegistryEntry& entry) { return entry.shared != shared; });
    return entries;
}

// Whether the other architecture's build has the class registered in its own view.
bool OtherArchitectureRegistered(RegistrationScope scope)
{
    const std::wstring key = std::wstring(kClassesPath) + L"\\" + ClassKey() + L"\\InprocServer32";
    UniqueHkey handle;
    return RegOpenKeyExW(ScopeHive(scope), key.c_str(), 0,
                         KEY_QUERY_VALUE | (kIs64Bit ? KEY_WOW64_32KEY : KEY_WOW64_64KEY),
                         handle.put()) == ERROR_SUCCESS;
}

HRESULT OpenClassesRoot(RegistrationScope scope, bool create, UniqueHkey& root)
{
    const REGSAM access = KEY_READ | KEY_WRITE;
    const LONG status = create ? RegCreateKeyExW(ScopeHive(scope), kClassesPath, 0, nullptr, 0,
                                                 access, nullptr, root.put(), nullptr)
                               : RegOpenKeyExW(ScopeHive(scope), kClassesPath, 0, access,
                                               root.put());
    return HRESULT_FROM_WIN32(status);
}

// The path that clients load the module by.
HRESULT RegisteredPath(std::wstring& path)
{
    ModulePath module;
    const HRESULT hr = module.LoadRegistrable();
    if (SUCCEEDED(hr))
        path.assign(module.c_str(), module.size());
    return hr;
}

} // namespace

std::vector<RegistryEntry> TypeLibraryEntries(const std::wstring& modulePath)
{
    const std::wstring libraryKey = L"TypeLib\\" + GuidText(LIBID_Orvane);
    const std::wstring library = libraryKey + L"\\" ORVANE_TYPELIB_VERSION_TEXT;
    const std::wstring iface = L"Interface\\" + GuidText(IID__clsRegistry);
    const std::wstring folder = modulePath.substr(0, modulePath.find_last_of(L'\\') + 1);
    return {
        {libraryKey, L"", L"", true, true},
        {library, L"", L"" ORVANE_LIBRARY_NAME, true},
        {library + L"\\FLAGS", L"", L"0", true},
        {library + L"\\HELPDIR", L"", folder, true},
        {library + L"\\0", L"", L"", true, true},
        {library + (kIs64Bit ? L"\\0\\win64" : L"\\0\\win32"), L"", modulePath, false},
        // Like CLSID, Interface has a key of its own in each registry view.
        {iface, L"", L"" ORVANE_INTERFACE_NAME},
        {iface + L"\\ProxyStubClsid", L"", kAutomationProxy},
        {iface + L"\\ProxyStubClsid32", L"", kAutomationProxy},
        {iface + L"\\TypeLib", L"", GuidText(LIBID_Orvane)},
        {iface + L"\\TypeLib", L"Version", L"" ORVANE_TYPELIB_VERSION_TEXT},
    };
}

std::vector<RegistryEntry> ClassEntries(const std::wstring& modulePath)
{
    const std::wstring clsid = GuidText(CLSID_clsRegistry);
    const std::wstring classKey = ClassKey();
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
        {progId, L"", name, true},
        {progId + L"\\CLSID", L"", clsid, true},
        {progId + L"\\CurVer", L"", versioned, true},
        {versioned, L"", name, true},
        {versioned + L"\\CLSID", L"", clsid, true},
    };
}

HRESULT RegisterServer(RegistrationScope scope) noexcept
{
    try {
        std::wstring path;
        const HRESULT found = RegisteredPath(path);
        if (found == E_OUTOFMEMORY)
            return found;
        UniqueHkey root;
        if (FAILED(found) || FAILED(OpenClassesRoot(scope, true, root)))
            return SELFREG_E_CLASS;

        // Register only a type library that loads from our own file.
        Microsoft::WRL::ComPtr<ITypeLib> library;
        if (FAILED(LoadModuleTypeLibrary(&library)) ||
            FAILED(WriteEntries(root.get(), TypeLibraryEntries(path))))
            return SELFREG_E_TYPELIB;
        if (FAILED(WriteEntries(root.get(), ClassEntries(path)))) {
            UnregisterServer(scope);
            return SELFREG_E_CLASS;
        }
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT UnregisterServer(RegistrationScope scope) noexcept
{
    try {
        UniqueHkey root;
        const HRESULT opened = OpenClassesRoot(scope, false, root);
        if (opened == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND))
            return S_OK;
        if (FAILED(opened))
            return SELFREG_E_CLASS;

        std::wstring path;
        if (RegisteredPath(path) == E_OUTOFMEMORY)
            return E_OUTOFMEMORY;
        const std::vector<RegistryEntry> classes = ClassEntries(path);
        const std::vector<RegistryEntry> library = TypeLibraryEntries(path);
        HRESULT classResult = RemoveEntries(root.get(), Select(classes, false));
        HRESULT libraryResult = RemoveEntries(root.get(), Select(library, false));
        if (!OtherArchitectureRegistered(scope)) {
            if (FAILED(RemoveEntries(root.get(), Select(classes, true))))
                classResult = E_FAIL;
            if (FAILED(RemoveEntries(root.get(), Select(library, true))))
                libraryResult = E_FAIL;
        }
        if (FAILED(classResult))
            return SELFREG_E_CLASS;
        return FAILED(libraryResult) ? SELFREG_E_TYPELIB : S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace orvane
