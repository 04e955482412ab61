#include "Registration.h"

#include "Handles.h"
#include "ModulePath.h"
#include "ModuleTypeLibrary.h"
#include "Orvane.h"
#include "RegistrationLock.h"
#include "RegistrationTable.h"

#include <olectl.h>

namespace orvane {
namespace {

constexpr wchar_t kClassesPath[] = L"Software\\Classes";
constexpr wchar_t kClassServerKey[] = L"Software\\Classes\\CLSID\\%CLSID%\\InprocServer32";

HKEY ScopeHive(RegistrationScope scope)
{
    return scope == RegistrationScope::User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// The placeholders' texts for this module, for the lifetime of one call.
class ModuleTexts {
public:
    HRESULT Load() noexcept
    {
        StringFromGUID2(CLSID_clsRegistry, clsid_, kGuidChars);
        StringFromGUID2(LIBID_Orvane, libid_, kGuidChars);
        StringFromGUID2(IID__clsRegistry, iid_, kGuidChars);
        // The path clients load the module by.
        const HRESULT hr = path_.LoadRegistrable();
        if (FAILED(hr))
            return hr;
        const UINT length = path_.size();
        UINT folder = length;
        while (folder > 0 && path_.c_str()[folder - 1] != L'\\')
            --folder;
        placeholders_[0] = {L"%CLSID%", clsid_, kGuidChars - 1};
        placeholders_[1] = {L"%LIBID%", libid_, kGuidChars - 1};
        placeholders_[2] = {L"%IID%", iid_, kGuidChars - 1};
        placeholders_[3] = {L"%PATH%", path_.c_str(), length, true};
        placeholders_[4] = {L"%FOLDER%", path_.c_str(), folder};
        return S_OK;
    }

    EntryTable Table() const noexcept { return {kRegistrationEntries, placeholders_}; }

private:
    static constexpr int kGuidChars = 39;
    wchar_t clsid_[kGuidChars] = {};
    wchar_t libid_[kGuidChars] = {};
    wchar_t iid_[kGuidChars] = {};
    ModulePath path_;
    Placeholder placeholders_[5] = {};
};

// Only a 32-bit process on 64-bit Windows has a second registry view; a 64-bit process
// always has the 32-bit one. (KEY_WOW64_64KEY is ignored on 32-bit Windows, where it would
// open our own view again.)
bool OtherViewExists()
{
    if constexpr (sizeof(void*) == 8)
        return true;
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// A server key we cannot read counts as serving: the shared entries then stay.
bool ClassServedIn(HKEY hive, const wchar_t* serverKey, REGSAM view)
{
    UniqueHkey key;
    LONG status = RegOpenKeyExW(hive, serverKey, 0, KEY_QUERY_VALUE | view, key.put());
    if (status == ERROR_SUCCESS)
        status = RegQueryValueExW(key.get(), L"", nullptr, nullptr, nullptr, nullptr);
    return !Gone(status);
}

// Whether any build, from any folder, still has the class registered in either view: then
// the ProgIDs and the type library's shared keys still serve it.
HRESULT ClassServedInAnyView(RegistrationScope scope, const EntryTable& table, bool* served)
{
    ExpandedText serverKey;
    const HRESULT hr = serverKey.Expand(kClassServerKey, table.placeholders);
    if (FAILED(hr))
        return hr;
    const HKEY hive = ScopeHive(scope);
    const REGSAM otherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    *served = ClassServedIn(hive, serverKey.get(), 0) ||
              (OtherViewExists() && ClassServedIn(hive, serverKey.get(), otherView));
    return S_OK;
}

// Unregistration only reads the root: each key it removes from it opens for that, so a root
// the user may not write to (HKLM's, for a standard user) does not stop it.
HRESULT OpenClassesRoot(RegistrationScope scope, bool create, UniqueHkey& root)
{
    const LONG status = create ? RegCreateKeyExW(ScopeHive(scope), kClassesPath, 0, nullptr, 0,
                                                 KEY_READ | KEY_WRITE, nullptr, root.put(),
                                                 nullptr)
                               : RegOpenKeyExW(ScopeHive(scope), kClassesPath, 0, KEY_READ,
                                               root.put());
    return HRESULT_FROM_WIN32(status);
}

// Removes the groups given of this view, then the shared ones too once no view serves the
// class any more.
HRESULT RemoveRegistration(HKEY root, RegistrationScope scope, const EntryTable& table,
                           EntryGroups groups)
{
    const HRESULT own = RemoveEntries(root, table, groups & kThisViewGroups);
    bool served = true;
    HRESULT shared = ClassServedInAnyView(scope, table, &served);
    if (SUCCEEDED(shared) && !served)
        shared = RemoveEntries(root, table, groups & kSharedGroups);
    return FAILED(own) ? own : shared;
}

} // namespace

HRESULT RegisterServer(RegistrationScope scope) noexcept
{
    RegistrationLock lock;
    HRESULT hr = lock.Acquire();
    if (FAILED(hr))
        return hr;
    ModuleTexts texts;
    hr = texts.Load();
    if (FAILED(hr))
        return hr == E_OUTOFMEMORY ? hr : SELFREG_E_CLASS;
    UniqueHkey root;
    if (FAILED(OpenClassesRoot(scope, true, root)))
        return SELFREG_E_CLASS;

    // Register only a type library that loads from our own file.
    ITypeLib* library = nullptr;
    hr = LoadModuleTypeLibrary(&library);
    if (FAILED(hr))
        return hr == E_OUTOFMEMORY ? hr : SELFREG_E_TYPELIB;
    library->Release();

    const EntryTable table = texts.Table();
    EntryUndo undo[std::size(kRegistrationEntries)];
    size_t attempted = 0;
    hr = WriteEntries(root.get(), table, &attempted, undo);
    if (SUCCEEDED(hr) || attempted == 0)
        return hr;
    const RegistryEntry& failed = table.entries[attempted - 1];
    // Exactly what this call changed: a registration that was there before it, of this file
    // or another, is left as it was, and nothing of this one stays.
    UndoEntries(root.get(), undo);
    if (hr == E_OUTOFMEMORY)
        return hr;
    return failed.group == kLibrary || failed.group == kLibraryFile ? SELFREG_E_TYPELIB
                                                                   : SELFREG_E_CLASS;
}

HRESULT UnregisterServer(RegistrationScope scope) noexcept
{
    RegistrationLock lock;
    const HRESULT turn = lock.Acquire();
    if (FAILED(turn))
        return turn;
    UniqueHkey root;
    const HRESULT opened = OpenClassesRoot(scope, false, root);
    if (opened == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND))
        return S_OK;
    if (FAILED(opened))
        return SELFREG_E_CLASS;

    ModuleTexts texts;
    HRESULT hr = texts.Load();
    if (FAILED(hr))
        return hr == E_OUTOFMEMORY ? hr : SELFREG_E_CLASS;
    const EntryTable table = texts.Table();
    // Decided before anything goes: removing the class also removes its guard.
    EntryGroups owned = 0;
    hr = OwnedGroups(root.get(), table, &owned);
    if (SUCCEEDED(hr))
        hr = RemoveRegistration(root.get(), scope, table, owned);
    if (hr == E_OUTOFMEMORY)
        return hr;
    return FAILED(hr) ? SELFREG_E_CLASS : S_OK;
}

} // namespace orvane
