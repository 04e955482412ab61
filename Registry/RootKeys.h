// The predefined root keys as the registry API takes them.
#pragma once

#include "KeyPath.h"

#include <windows.h>

namespace orvane {

static_assert(sizeof(LONG) == sizeof(RootKeyValue));

// The HKEY a root-key value stands for; the value is sign-extended as the SDK's own
// HKEY_* definitions do, so it is right for 64-bit processes too.
inline HKEY RootKeyHandle(LONG value) noexcept
{
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(value));
}

// Windows' UTF-16 text as the portable rules see it.
static_assert(sizeof(wchar_t) == sizeof(char16_t));
inline std::u16string_view AsUtf16(std::wstring_view text) noexcept
{
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}
inline std::wstring_view AsWide(std::u16string_view text) noexcept
{
    return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
}

} // namespace orvane
