// The predefined root keys a key path may start with, in the order they are tried.
#pragma once

#include <windows.h>

#include <array>
#include <string_view>

namespace orvane {

struct RootKey {
    std::wstring_view name;
    LONG value; // the predefined HKEY's value as a signed 32-bit number
};

inline constexpr std::array<RootKey, 7> kRootKeys{{
    {L"HKEY_CLASSES_ROOT", static_cast<LONG>(0x80000000)},
    {L"HKEY_CURRENT_USER", static_cast<LONG>(0x80000001)},
    {L"HKEY_LOCAL_MACHINE", static_cast<LONG>(0x80000002)},
    {L"HKEY_USERS", static_cast<LONG>(0x80000003)},
    {L"HKEY_PERFORMANCE_DATA", static_cast<LONG>(0x80000004)},
    {L"HKEY_CURRENT_CONFIG", static_cast<LONG>(0x80000005)},
    {L"HKEY_DYN_DATA", static_cast<LONG>(0x80000006)},
}};

// The HKEY a root-key value stands for; the value is sign-extended as the SDK's own
// HKEY_* definitions do, so it is right for 64-bit processes too.
inline HKEY RootKeyHandle(LONG value) noexcept
{
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(value));
}

} // namespace orvane
