// The rules of a key path: "ROOT" or "ROOT\subkey", where ROOT is one of the seven predefined
// root-key names. Portable and allocation-free: no Windows types, no exceptions.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace orvane {

// A predefined root key's value (the Windows HKEY_* handle as a signed 32-bit number); 0 for
// none.
using RootKeyValue = std::int32_t;

struct RootKeyName {
    std::u16string_view name;
    RootKeyValue value;
};

// In the order they are tried.
inline constexpr std::array<RootKeyName, 7> kRootKeyNames{{
    {u"HKEY_CLASSES_ROOT", static_cast<RootKeyValue>(0x80000000u)},
    {u"HKEY_CURRENT_USER", static_cast<RootKeyValue>(0x80000001u)},
    {u"HKEY_LOCAL_MACHINE", static_cast<RootKeyValue>(0x80000002u)},
    {u"HKEY_USERS", static_cast<RootKeyValue>(0x80000003u)},
    {u"HKEY_PERFORMANCE_DATA", static_cast<RootKeyValue>(0x80000004u)},
    {u"HKEY_CURRENT_CONFIG", static_cast<RootKeyValue>(0x80000005u)},
    {u"HKEY_DYN_DATA", static_cast<RootKeyValue>(0x80000006u)},
}};

// What a malformed path is reported with, followed by the path as given, except that each
// U+0000 is shown as this symbol: the box's text would end at the first one.
inline constexpr std::u16string_view kMalformedReport = u"Incorrect Format:\n\n";
inline constexpr char16_t kShownNul = u'\u2400';

enum class PathKind {
    Malformed,   // no "HKEY_" prefix, or a trailing separator: reported to the user
    UnknownRoot, // well formed, but the root is none of the seven: silently no key
    Root,        // a root key, and the subkey below it (empty for the root itself)
};

struct ClassifiedPath {
    PathKind kind;
    RootKeyValue root;          // 0 unless kind is Root
    std::u16string_view subkey; // what follows the first separator (a view of the path); empty
                                // when there is none or the path is malformed
};

// The value of the root-key name that equals name exactly, or 0.
RootKeyValue FindRootKey(std::u16string_view name) noexcept;

// Checks the form, splits at the first separator and looks the root up.
ClassifiedPath ClassifyKeyPath(std::u16string_view path) noexcept;

} // namespace orvane
