#include "RegistryEntries.h"

#include "Handles.h"

namespace orvane {
namespace {

LONG WriteEntry(HKEY root, const RegistryEntry& entry)
{
    UniqueHkey key;
    LONG status = RegCreateKeyExW(root, entry.key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_SET_VALUE, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS || entry.keyOnly)
        return status;
    const DWORD bytes = static_cast<DWORD>((entry.data.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.get(), entry.name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(entry.data.c_str()), bytes);
}

LONG RemoveEntry(HKEY root, const RegistryEntry& entry)
{
    UniqueHkey key;
    LONG status = RegOpenKeyExW(root, entry.key.c_str(), 0, KEY_SET_VALUE | KEY_QUERY_VALUE,
                                key.put());
    if (status == ERROR_FILE_NOT_FOUND)
        return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS)
        return status;
    if (!entry.keyOnly) {
        status = RegDeleteValueW(key.get(), entry.name.c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            return status;
    }

    DWORD subkeys = 0;
    DWORD values = 0;
    status = RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                              &values, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS || subkeys != 0 || values != 0)
        return status;
    key.reset();
    status = RegDeleteKeyW(root, entry.key.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

} // namespace

HRESULT WriteEntries(HKEY root, std::span<const RegistryEntry> entries) noexcept
{
    for (size_t i = 0; i < entries.size(); ++i) {
        const LONG status = WriteEntry(root, entries[i]);
        if (status != ERROR_SUCCESS) {
            // Entry i may have left its key behind; remove it with the others.
            RemoveEntries(root, entries.first(i + 1));
            return HRESULT_FROM_WIN32(status);
        }
    }
    return S_OK;
}

HRESULT RemoveEntries(HKEY root, std::span<const RegistryEntry> entries) noexcept
{
    LONG first = ERROR_SUCCESS;
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        const LONG status = RemoveEntry(root, *entry);
        if (first == ERROR_SUCCESS)
            first = status;
    }
    return HRESULT_FROM_WIN32(first);
}

} // namespace orvane
