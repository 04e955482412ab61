// clsRegistry's late-bound face. Calls by name and dispatch identifier are answered here
// without the type library: the class knows its one method and that method's one
// parameter, and checks each call's shape itself. The type library is only handed out.
#include "clsRegistry.h"

#include "CallReference.h"
#include "Identity.h"
#include "KeyArgument.h"
#include "TypeInfo.h"

namespace {

constexpr DISPID kKeyExist = ORVANE_DISPID_KEYEXIST;
constexpr DISPID kKeyParameter = 0;
constexpr wchar_t kMethodName[] = L"" ORVANE_METHOD_NAME;
constexpr wchar_t kParameterName[] = L"" ORVANE_PARAM_NAME;

bool NameIs(const wchar_t* name, const wchar_t* known) noexcept
{
    return name && CompareStringOrdinal(name, -1, known, -1, TRUE) == CSTR_EQUAL;
}

// A method call, or a call that lets the member be a method or a property to read; nothing
// that would write to it.
bool IsMethodCall(WORD flags) noexcept
{
    return (flags & DISPATCH_METHOD) &&
           !(flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF));
}

bool ArraysPresent(const DISPPARAMS* params) noexcept
{
    return params && params->cNamedArgs <= params->cArgs &&
           (params->cArgs == 0 || params->rgvarg) &&
           (params->cNamedArgs == 0 || params->rgdispidNamedArgs);
}

void ReportArgument(UINT* puArgErr, UINT index) noexcept
{
    if (puArgErr)
        *puArgErr = index;
}

} // namespace

HRESULT STDMETHODCALLTYPE clsRegistry::GetTypeInfoCount(UINT* pctinfo)
{
    if (!pctinfo)
        return E_POINTER;
    *pctinfo = 1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE clsRegistry::GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo)
{
    if (!ppTInfo)
        return E_POINTER;
    *ppTInfo = nullptr;
    if (iTInfo != 0)
        return DISP_E_BADINDEX;
    return orvane::GetClassTypeInfo(orvane::TypeInfoView::Dispatch, ppTInfo);
}

HRESULT STDMETHODCALLTYPE clsRegistry::GetClassInfo(ITypeInfo** ppTI)
{
    if (!ppTI)
        return E_POINTER;
    return orvane::GetClassTypeInfo(orvane::TypeInfoView::Class, ppTI);
}

HRESULT STDMETHODCALLTYPE clsRegistry::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames,
                                                     UINT cNames, LCID, DISPID* rgDispId)
{
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    if (cNames == 0 || !rgszNames || !rgDispId)
        return E_INVALIDARG;
    // The first name is the member's, the rest its parameters'; each unknown one is marked.
    const bool method = NameIs(rgszNames[0], kMethodName);
    HRESULT hr = method ? S_OK : DISP_E_UNKNOWNNAME;
    rgDispId[0] = method ? kKeyExist : DISPID_UNKNOWN;
    for (UINT i = 1; i < cNames; ++i) {
        const bool parameter = method && NameIs(rgszNames[i], kParameterName);
        rgDispId[i] = parameter ? kKeyParameter : DISPID_UNKNOWN;
        if (!parameter)
            hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE clsRegistry::Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags,
                                              DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                              EXCEPINFO* pExcepInfo, UINT* puArgErr)
{
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    if (!ArraysPresent(pDispParams))
        return E_INVALIDARG;
    if (dispIdMember != kKeyExist || !IsMethodCall(wFlags))
        return DISP_E_MEMBERNOTFOUND;

    // Converting the argument can run the caller's code (an object's default property),
    // which may release the caller's last reference; the reference serves the call too.
    orvane::CallReference self(static_cast<_clsRegistry*>(this));
    UINT index = 0;
    HRESULT hr = orvane::FindKeyArgument(*pDispParams, index);
    if (hr == DISP_E_PARAMNOTFOUND)
        ReportArgument(puArgErr, index);
    if (FAILED(hr))
        return hr;
    orvane::KeyArgument key;
    hr = key.Take(pDispParams->rgvarg[index]);
    if (FAILED(hr)) {
        if (hr != E_OUTOFMEMORY)
            ReportArgument(puArgErr, index);
        return hr;
    }
    // The argument is converted before the count is checked, so a call with a surplus
    // argument and an unusable first one is answered as DispInvoke answers it.
    if (pDispParams->cArgs > 1)
        return DISP_E_BADPARAMCOUNT;

    VARIANT_BOOL exists = VARIANT_FALSE;
    hr = KeyExistHeld(key.get(), exists);
    // Written even when the call fails (then False), as DispInvoke writes it.
    if (pVarResult) {
        pVarResult->vt = VT_BOOL;
        pVarResult->boolVal = exists;
    }
    if (FAILED(hr)) {
        if (pExcepInfo) {
            *pExcepInfo = EXCEPINFO{};
            pExcepInfo->scode = hr;
        }
        return DISP_E_EXCEPTION;
    }
    return S_OK;
}
