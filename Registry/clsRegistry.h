// The component's one class: answers whether a registry key can be opened for reading.
#pragma once

#include "Allocator.h"
#include "Orvane.h"

#include <ocidl.h>

#include <atomic>
#include <string_view>

class clsRegistry : public _clsRegistry, public IProvideClassInfo, public orvane::HeapObject {
public:
    // A new instance, handed out as the interface riid.
    static HRESULT CreateInstance(REFIID riid, void** ppv) noexcept;

    clsRegistry() noexcept;
    clsRegistry(const clsRegistry&) = delete;
    clsRegistry& operator=(const clsRegistry&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch, answered without the type library (Dispatch.cpp)
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames,
                                            LCID lcid, DISPID* rgDispId) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                     DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                     EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    // IProvideClassInfo: the class's own type information, for object browsers and hosts
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** ppTI) override;

    // _clsRegistry
    HRESULT STDMETHODCALLTYPE KeyExist(BSTR sKey, VARIANT_BOOL* pbExists) override;

protected:
    virtual ~clsRegistry();

private:
    // KeyExist's work, for a caller that already holds a reference to the instance.
    HRESULT KeyExistHeld(BSTR sKey, VARIANT_BOOL& bExists) noexcept;
    HRESULT ParseKeyPath(std::wstring_view& sPath, LONG& hRoot) noexcept;
    LONG GetRootKey(std::wstring_view sName) const noexcept;

    std::atomic<ULONG> refs_{1};
    // What the last call to return decided; no call reads them.
    LONG hRootKey = 0; // root key selected by its path; 0 for none
    LONG lStatus = 0;  // status of its registry open
};
