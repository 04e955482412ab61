// The least any late-bound method must do: one case-insensitive name compare, a check of the
// call's shape, a VT_BOOL written, no work of its own. The floor of a late-bound call.
#pragma once

#include <oaidl.h>

class MinimalDispatch final : public IDispatch {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid != IID_IUnknown && riid != IID_IDispatch) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override
    {
        if (count != 1)
            return DISP_E_UNKNOWNNAME;
        const bool known = CompareStringOrdinal(names[0], -1, L"KeyExist", -1, TRUE) == CSTR_EQUAL;
        *ids = known ? 1 : DISPID_UNKNOWN;
        return known ? S_OK : DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT*) override
    {
        if (id != 1)
            return DISP_E_MEMBERNOTFOUND;
        if (!(flags & DISPATCH_METHOD) || params->cArgs != 1 || params->cNamedArgs != 0)
            return DISP_E_BADPARAMCOUNT;
        if (params->rgvarg[0].vt != VT_BSTR)
            return DISP_E_TYPEMISMATCH;
        if (result) {
            result->vt = VT_BOOL;
            result->boolVal = VARIANT_FALSE;
        }
        return S_OK;
    }
};
