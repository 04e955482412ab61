#include "clsRegistry.h"

#include "CallReference.h"
#include "ExactAnsi.h"
#include "Module.h"
#include "RegistryAccess.h"
#include "RootKeys.h"

#include <optional>

using orvane::RegistrySeam;

namespace {

HRESULT LastErrorOr(DWORD fallback) noexcept
{
    const DWORD error = GetLastError();
    return HRESULT_FROM_WIN32(error != ERROR_SUCCESS ? error : fallback);
}

// Opens subkey below root for reading: exists is True when the open succeeds. status gets
// the open's result where the registry was asked.
HRESULT AskRegistry(LONG root, std::wstring_view subkey, std::optional<LONG>& status,
                    VARIANT_BOOL& exists) noexcept
{
    // A subkey the narrow call would misread (cut at U+0000, or turned into another key's
    // name by '?' and best-fit substitutes) is not asked about at all.
    orvane::ExactAnsi narrow;
    const HRESULT converted = narrow.Assign(subkey);
    if (converted != S_OK)
        return SUCCEEDED(converted) ? S_OK : converted;

    orvane::RegistryAccess& registry = RegistrySeam::Current();
    const orvane::RegOpenKeyExAProc open = registry.OpenRoutine();
    if (!open)
        return LastErrorOr(ERROR_PROC_NOT_FOUND);

    orvane::OpenedKey key(registry);
    status = open(orvane::RootKeyHandle(root), narrow.c_str(), 0, KEY_READ, key.put());
    if (*status != ERROR_SUCCESS) {
        key.release(); // nothing was opened, whatever the routine left there
        return S_OK;
    }
    exists = VARIANT_TRUE;
    return S_OK;
}

} // namespace

clsRegistry::clsRegistry() noexcept
{
    orvane::LockModule();
}

clsRegistry::~clsRegistry()
{
    orvane::UnlockModule();
}

HRESULT clsRegistry::CreateInstance(REFIID riid, void** ppv) noexcept
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    clsRegistry* instance = new clsRegistry();
    if (!instance)
        return E_OUTOFMEMORY;
    const HRESULT hr = instance->QueryInterface(riid, ppv);
    instance->Release();
    return hr;
}

HRESULT STDMETHODCALLTYPE clsRegistry::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__clsRegistry)
        *ppv = static_cast<_clsRegistry*>(this);
    else if (riid == IID_IProvideClassInfo)
        *ppv = static_cast<IProvideClassInfo*>(this);
    else
        *ppv = nullptr;
    if (!*ppv)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE clsRegistry::AddRef()
{
    return refs_.fetch_add(1, std::memory_order_relaxed) + 1;
}

ULONG STDMETHODCALLTYPE clsRegistry::Release()
{
    const ULONG refs = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (refs == 0)
        delete this;
    return refs;
}

HRESULT STDMETHODCALLTYPE clsRegistry::KeyExist(BSTR sKey, VARIANT_BOOL* pbExists)
{
    if (!pbExists)
        return E_POINTER;
    orvane::CallReference self(static_cast<_clsRegistry*>(this));
    return KeyExistHeld(sKey, *pbExists);
}

HRESULT clsRegistry::KeyExistHeld(BSTR sKey, VARIANT_BOOL& bExists) noexcept
{
    bExists = VARIANT_FALSE;
    // This call's root and status are locals: the message box runs a message loop, and a
    // call that re-enters from it must not change what this one decides.
    LONG hRoot = 0;
    std::optional<LONG> status;
    // The working path is a view of the caller's string, which is never written.
    std::wstring_view sPath(sKey ? sKey : L"", SysStringLen(sKey));
    HRESULT hr = ParseKeyPath(sPath, hRoot);
    if (SUCCEEDED(hr) && hRoot != 0)
        hr = AskRegistry(hRoot, sPath, status, bExists);

    // The members keep what the last call to return decided; no call reads them.
    hRootKey = hRoot;
    if (status)
        lStatus = *status;
    return hr;
}
