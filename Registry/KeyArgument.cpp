#include "KeyArgument.h"

#include <oleauto.h>

namespace orvane {
namespace {

constexpr DISPID kKeyParameter = 0;

// A reference to nothing, directly or from the variant it points at; converting one would
// read through a null pointer.
bool RefersToNothing(const VARIANT& argument) noexcept
{
    if (!(argument.vt & VT_BYREF))
        return false;
    if (!argument.byref)
        return true;
    return argument.vt == (VT_VARIANT | VT_BYREF) && (argument.pvarVal->vt & VT_BYREF) &&
           !argument.pvarVal->byref;
}

} // namespace

HRESULT FindKeyArgument(const DISPPARAMS& params, UINT& index) noexcept
{
    // Named arguments come first in rgvarg, positional ones after them in reverse order.
    bool named = false;
    for (UINT i = 0; i < params.cNamedArgs; ++i) {
        if (params.rgdispidNamedArgs[i] != kKeyParameter) {
            index = i;
            return DISP_E_PARAMNOTFOUND;
        }
        if (!named) {
            index = i;
            named = true;
        }
    }
    if (named)
        return S_OK;
    if (params.cNamedArgs >= params.cArgs)
        return DISP_E_BADPARAMCOUNT;
    index = params.cArgs - 1;
    return S_OK;
}

// Set up and cleared without a call into the system unless a conversion was made: the
// common call, a string, makes none.
KeyArgument::KeyArgument() noexcept
{
    converted_.vt = VT_EMPTY;
}

KeyArgument::~KeyArgument()
{
    if (converted_.vt != VT_EMPTY)
        VariantClear(&converted_);
}

HRESULT KeyArgument::Take(VARIANTARG& argument) noexcept
{
    // What script hosts pass needs no copy: the string is only read.
    switch (argument.vt) {
    case VT_BSTR:
        key_ = argument.bstrVal;
        return S_OK;
    case VT_BSTR | VT_BYREF:
        if (argument.pbstrVal) {
            key_ = *argument.pbstrVal;
            return S_OK;
        }
        break;
    case VT_VARIANT | VT_BYREF:
        if (argument.pvarVal && argument.pvarVal->vt == VT_BSTR) {
            key_ = argument.pvarVal->bstrVal;
            return S_OK;
        }
        break;
    default:
        break;
    }
    if (RefersToNothing(argument))
        return DISP_E_TYPEMISMATCH;
    const HRESULT hr = VariantChangeType(&converted_, &argument, 0, VT_BSTR);
    if (FAILED(hr))
        return hr;
    key_ = converted_.bstrVal;
    return S_OK;
}

} // namespace orvane
