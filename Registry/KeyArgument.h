// The one argument of a late-bound KeyExist call: which entry of DISPPARAMS carries it, and
// that entry as the BSTR the method takes.
#pragma once

#include <oaidl.h>

namespace orvane {

// Finds the argument for the method's only parameter (dispatch identifier 0): the one named
// for it, else the first positional one. On failure the status is the call's answer and,
// for DISP_E_PARAMNOTFOUND, index names the offending entry of rgvarg. The arrays that the
// counts promise must be there.
HRESULT FindKeyArgument(const DISPPARAMS& params, UINT& index) noexcept;

// The argument as a BSTR: the caller's own string when it passed one (by value, by
// reference, or in a variant by reference), otherwise a copy converted as VariantChangeType
// converts, which the owner frees.
class KeyArgument {
public:
    KeyArgument() noexcept;
    ~KeyArgument();
    KeyArgument(const KeyArgument&) = delete;
    KeyArgument& operator=(const KeyArgument&) = delete;

    // VariantChangeType's status when the argument cannot be had as a string.
    HRESULT Take(VARIANTARG& argument) noexcept;

    BSTR get() const noexcept { return key_; }

private:
    VARIANT converted_;
    BSTR key_ = nullptr;
};

} // namespace orvane
