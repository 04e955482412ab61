#include "RegistryEntries.h"

#include "Allocator.h"
#include "Handles.h"
#include "SameFile.h"

#include <cwchar>

namespace orvane {
namespace {

bool InGroups(const RegistryEntry& entry, EntryGroups groups)
{
    return entry.group < 32 && (groups & GroupBit(entry.group)) != 0;
}

// Tells whether the key holds no value and no subkey.
LONG QueryEmpty(HKEY key, bool* empty)
{
    DWORD subkeys = 0;
    DWORD values = 0;
    const LONG status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr,
                                         nullptr, &values, nullptr, nullptr, nullptr, nullptr);
    *empty = status == ERROR_SUCCESS && subkeys == 0 && values == 0;
    return status;
}

// Keeps the value that the write is about to replace, if there is one.
HRESULT KeepPrevious(const RegistryEntry& entry, EntryUndo& undo)
{
    DWORD bytes = 0;
    LONG status = RegQueryValueExW(undo.handle.get(), entry.name, nullptr, &undo.type, nullptr,
                                   &bytes);
    if (status == ERROR_FILE_NOT_FOUND)
        return S_OK;
    if (status == ERROR_SUCCESS) {
        if (!undo.previous.Reset(bytes))
            return E_OUTOFMEMORY;
        status = RegQueryValueExW(undo.handle.get(), entry.name, nullptr, &undo.type,
                                  undo.previous.data(), &bytes);
    }
    undo.replaced = status == ERROR_SUCCESS;
    return HRESULT_FROM_WIN32(status);
}

HRESULT WriteEntry(HKEY root, const RegistryEntry& entry,
                   std::span<const Placeholder> placeholders, EntryUndo& undo)
{
    HRESULT hr = undo.key.Expand(entry.key, placeholders);
    if (FAILED(hr))
        return hr;
    DWORD disposition = 0;
    LONG status = RegCreateKeyExW(root, undo.key.get(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, undo.handle.put(),
                                  &disposition);
    undo.created = status == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
    undo.name = entry.name;
    if (status != ERROR_SUCCESS || entry.kind == EntryData::KeyOnly)
        return HRESULT_FROM_WIN32(status);
    ExpandedText data;
    hr = data.Expand(entry.data, placeholders);
    if (SUCCEEDED(hr))
        hr = KeepPrevious(entry, undo);
    if (FAILED(hr))
        return hr;
    const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    status = RegSetValueExW(undo.handle.get(), entry.name, 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(data.get()), bytes);
    undo.written = status == ERROR_SUCCESS;
    return HRESULT_FROM_WIN32(status);
}

// Whether data is one placeholder that stands for a file's path.
bool NamesFile(const wchar_t* data, std::span<const Placeholder> placeholders)
{
    for (const Placeholder& placeholder : placeholders) {
        if (placeholder.file && placeholder.token && data && wcscmp(data, placeholder.token) == 0)
            return true;
    }
    return false;
}

// Whether the value is REG_SZ text equal to ours, ignoring case as Windows does for paths,
// GUIDs and ProgIDs; or, for a path, one that names the same file by another spelling (the
// short form, say).
HRESULT HoldsOurs(HKEY key, const RegistryEntry& entry, std::span<const Placeholder> placeholders,
                  bool* ours)
{
    *ours = false;
    ExpandedText expected;
    HRESULT hr = expected.Expand(entry.data, placeholders);
    if (FAILED(hr))
        return hr;
    DWORD type = REG_NONE;
    DWORD bytes = 0;
    LONG status = RegQueryValueExW(key, entry.name, nullptr, &type, nullptr, &bytes);
    if (Gone(status) || (status == ERROR_SUCCESS && type != REG_SZ))
        return S_OK;
    if (status != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(status);
    // Room for a terminator that the value may lack.
    HeapArray<wchar_t> actual;
    if (!actual.Reset(bytes / sizeof(wchar_t) + 1))
        return E_OUTOFMEMORY;
    status = RegQueryValueExW(key, entry.name, nullptr, &type,
                              reinterpret_cast<BYTE*>(actual.data()), &bytes);
    // Changed since it was measured: someone else's now.
    if (Gone(status) || status == ERROR_MORE_DATA)
        return S_OK;
    if (status != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(status);
    size_t length = bytes / sizeof(wchar_t);
    if (length != 0 && actual.data()[length - 1] == L'\0')
        --length;
    actual.data()[length] = L'\0';
    if (type != REG_SZ)
        return S_OK;
    *ours = length == expected.size() &&
            CompareStringOrdinal(actual.data(), static_cast<int>(length), expected.get(),
                                 static_cast<int>(expected.size()), TRUE) == CSTR_EQUAL;
    if (!*ours && NamesFile(entry.data, placeholders) && wcslen(actual.data()) == length)
        return SameFile(actual.data(), expected.get(), ours);
    return S_OK;
}

HRESULT GuardHolds(HKEY root, const RegistryEntry& entry,
                   std::span<const Placeholder> placeholders, bool* holds)
{
    *holds = false;
    ExpandedText key;
    HRESULT hr = key.Expand(entry.key, placeholders);
    if (FAILED(hr))
        return hr;
    UniqueHkey handle;
    const LONG status = RegOpenKeyExW(root, key.get(), 0, KEY_QUERY_VALUE, handle.put());
    if (Gone(status))
        return S_OK;
    if (status != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(status);
    return HoldsOurs(handle.get(), entry, placeholders, holds);
}

// Whether the value is to go: what it holds, unless any data goes.
HRESULT Removable(HKEY key, const RegistryEntry& entry, std::span<const Placeholder> placeholders,
                  bool* removable)
{
    *removable = entry.kind != EntryData::KeyOnly;
    if (!*removable || entry.kind == EntryData::Any)
        return S_OK;
    return HoldsOurs(key, entry, placeholders, removable);
}

HRESULT DeleteValue(HKEY key, const wchar_t* name)
{
    const LONG status = RegDeleteValueW(key, name);
    return Gone(status) ? S_OK : HRESULT_FROM_WIN32(status);
}

// With a companion (the WithGuard value before a guard), both are judged first and then
// deleted one after the other, the guard first: nothing that could fail for want of memory
// comes between.
HRESULT RemoveEntry(HKEY root, const RegistryEntry& entry,
                    std::span<const Placeholder> placeholders,
                    const RegistryEntry* companion = nullptr)
{
    ExpandedText key;
    HRESULT hr = key.Expand(entry.key, placeholders);
    if (FAILED(hr))
        return hr;
    UniqueHkey handle;
    LONG status = RegOpenKeyExW(root, key.get(), 0, KEY_SET_VALUE | KEY_QUERY_VALUE,
                                handle.put());
    if (Gone(status))
        return S_OK;
    if (status != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(status);
    bool removable = false;
    bool companionRemovable = false;
    hr = Removable(handle.get(), entry, placeholders, &removable);
    if (SUCCEEDED(hr) && removable && companion)
        hr = Removable(handle.get(), *companion, placeholders, &companionRemovable);
    if (SUCCEEDED(hr) && removable)
        hr = DeleteValue(handle.get(), entry.name);
    if (SUCCEEDED(hr) && companionRemovable)
        hr = DeleteValue(handle.get(), companion->name);
    if (FAILED(hr))
        return hr;

    bool empty = false;
    status = QueryEmpty(handle.get(), &empty);
    if (!empty)
        return Gone(status) ? S_OK : HRESULT_FROM_WIN32(status);
    handle.reset();
    status = RegDeleteKeyW(root, key.get());
    return Gone(status) ? S_OK : HRESULT_FROM_WIN32(status);
}

enum class Pass { AllButGuards, Guards, EmptyKeys };

// Removes, in reverse order, the entries of groups that the pass is for; EmptyKeys removes
// no value, only keys left with nothing in them.
HRESULT RemovePass(HKEY root, const EntryTable& table, EntryGroups groups, Pass pass)
{
    HRESULT first = S_OK;
    for (size_t i = table.entries.size(); i-- > 0;) {
        RegistryEntry entry = table.entries[i];
        if (!InGroups(entry, groups))
            continue;
        const bool guarding = entry.kind == EntryData::Guard || entry.kind == EntryData::WithGuard;
        const RegistryEntry* companion = nullptr;
        if (pass == Pass::EmptyKeys) {
            entry.kind = EntryData::KeyOnly;
        } else if (guarding != (pass == Pass::Guards) || entry.kind == EntryData::WithGuard) {
            continue; // a WithGuard value goes with the guard that follows it
        } else if (i > 0 && table.entries[i - 1].kind == EntryData::WithGuard) {
            companion = &table.entries[i - 1];
        }
        const HRESULT hr = RemoveEntry(root, entry, table.placeholders, companion);
        if (SUCCEEDED(first))
            first = hr;
    }
    return first;
}

} // namespace

HRESULT WriteEntries(HKEY root, const EntryTable& table, size_t* attempted,
                     std::span<EntryUndo> undo) noexcept
{
    if (attempted)
        *attempted = 0;
    const bool recorded = undo.size() == table.entries.size();
    for (size_t i = 0; i < table.entries.size(); ++i) {
        if (attempted)
            *attempted = i + 1;
        EntryUndo scratch;
        const HRESULT hr =
            WriteEntry(root, table.entries[i], table.placeholders, recorded ? undo[i] : scratch);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

void UndoEntries(HKEY root, std::span<EntryUndo> undo) noexcept
{
    for (size_t i = undo.size(); i-- > 0;) {
        EntryUndo& entry = undo[i];
        const HKEY key = entry.handle.get();
        if (entry.written && entry.replaced) {
            RegSetValueExW(key, entry.name, 0, entry.type, entry.previous.data(),
                           static_cast<DWORD>(entry.previous.size()));
        } else if (entry.written) {
            RegDeleteValueW(key, entry.name);
        }
        bool empty = false;
        if (entry.created)
            QueryEmpty(key, &empty);
        entry.handle.reset();
        if (empty)
            RegDeleteKeyW(root, entry.key.get());
    }
}

HRESULT OwnedGroups(HKEY root, const EntryTable& table, EntryGroups* owned) noexcept
{
    if (!owned)
        return E_POINTER;
    *owned = ~EntryGroups{0};
    for (const RegistryEntry& entry : table.entries) {
        if (entry.kind != EntryData::Guard || !InGroups(entry, *owned))
            continue;
        bool holds = false;
        const HRESULT hr = GuardHolds(root, entry, table.placeholders, &holds);
        if (FAILED(hr)) {
            *owned = 0;
            return hr;
        }
        if (!holds)
            *owned &= ~GroupBit(entry.group);
    }
    return S_OK;
}

HRESULT RemoveEntries(HKEY root, const EntryTable& table, EntryGroups groups) noexcept
{
    // The guards go last, and only once everything else has gone: a removal cut short (out
    // of memory, say) leaves the registration recognisably ours, for a later one to finish.
    // What goes with a guard goes right after it.
    HRESULT hr = RemovePass(root, table, groups, Pass::AllButGuards);
    if (SUCCEEDED(hr))
        hr = RemovePass(root, table, groups, Pass::Guards);
    // Then the keys that only the guards kept, and any that an earlier removal cut short
    // left empty: an empty key holds nothing of anyone's, whoever made it.
    const HRESULT pruned = RemovePass(root, table, ~EntryGroups{0}, Pass::EmptyKeys);
    return FAILED(hr) ? hr : pruned;
}

} // namespace orvane
