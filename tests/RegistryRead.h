// Reading the registry back in tests of registration.
#pragma once

#include "Handles.h"

#include <windows.h>

#include <optional>
#include <string>

// A REG_SZ value, or nothing when it is missing or of another type.
inline std::optional<std::wstring> ReadString(HKEY root, const std::wstring& key,
                                              const std::wstring& name, REGSAM view = 0)
{
    orvane::UniqueHkey handle;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE | view, handle.put()) !=
        ERROR_SUCCESS)
        return std::nullopt;
    DWORD bytes = 0;
    if (RegGetValueW(handle.get(), nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                     &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring text(bytes / sizeof(wchar_t), L'\0');
    if (RegGetValueW(handle.get(), nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, text.data(),
                     &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    text.resize(bytes / sizeof(wchar_t) - 1);
    return text;
}

inline bool KeyExists(HKEY root, const std::wstring& key, REGSAM view = 0)
{
    orvane::UniqueHkey handle;
    return RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view, handle.put()) == ERROR_SUCCESS;
}

inline std::wstring GuidText(REFGUID guid)
{
    wchar_t text[39];
    StringFromGUID2(guid, text, 39);
    return text;
}
