// Reading the registry back in tests of registration.
#pragma once

#include "Handles.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

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

// Every key below root\key and every value in them as sorted lines: a key's path, or a
// value's path, name, type and data in hex. Empty where the key is missing.
inline std::vector<std::wstring> KeyContents(HKEY root, const std::wstring& key, REGSAM view = 0,
                                        const std::wstring& shown = L"")
{
    std::vector<std::wstring> lines;
    orvane::UniqueHkey handle;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view, handle.put()) != ERROR_SUCCESS)
        return lines;
    DWORD longestKey = 0;
    DWORD longestName = 0;
    DWORD largestData = 0;
    RegQueryInfoKeyW(handle.get(), nullptr, nullptr, nullptr, nullptr, &longestKey, nullptr,
                     nullptr, &longestName, &largestData, nullptr, nullptr);
    std::vector<wchar_t> name(std::max(longestKey, longestName) + 1);
    std::vector<BYTE> data(largestData + 1);
    for (DWORD i = 0;; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        DWORD bytes = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueW(handle.get(), i, name.data(), &length, nullptr, &type, data.data(),
                          &bytes) != ERROR_SUCCESS)
            break;
        std::wstring line = shown + L"|" + std::wstring(name.data(), length) + L"|" +
                            std::to_wstring(type) + L"|";
        for (DWORD b = 0; b < bytes; ++b) {
            wchar_t hex[3];
            swprintf(hex, 3, L"%02x", data[b]);
            line += hex;
        }
        lines.push_back(line);
    }
    for (DWORD i = 0;; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(handle.get(), i, name.data(), &length, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS)
            break;
        const std::wstring child(name.data(), length);
        lines.push_back(shown + L"\\" + child);
        const auto below = KeyContents(root, key + L"\\" + child, view, shown + L"\\" + child);
        lines.insert(lines.end(), below.begin(), below.end());
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}
