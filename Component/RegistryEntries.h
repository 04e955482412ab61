// Registry entries as constant data: written by one loop, removed by another. Keys and data
// are templates whose placeholders are filled in as each entry is used.
#pragma once

#include "Handles.h"
#include "TextTemplate.h"

#include <windows.h>

#include <cstddef>
#include <span>

namespace orvane {

// Entries form groups (up to 32, numbered by the table's user), each owned as a whole.
using EntryGroup = unsigned char;
using EntryGroups = unsigned long; // a set of groups, one bit each
constexpr EntryGroups GroupBit(EntryGroup group)
{
    return 1ul << group;
}

enum class EntryData : unsigned char {
    Ours,    // REG_SZ; removed only while the value still holds what we write
    Guard,   // like Ours, and its group is ours only while this value holds what we write
    // Like Ours, and never absent while the guard right after it in the table (in the same
    // key) is there: written before the guard, removed right after it.
    WithGuard,
    Any,     // REG_SZ that each registration rewrites differently; removed with its group
    KeyOnly, // a key of ours with no value of its own
};

struct RegistryEntry {
    const wchar_t* key;  // below the root the table is written under
    const wchar_t* name; // the value's name; L"" for the key's default value
    const wchar_t* data;
    EntryGroup group;
    EntryData kind = EntryData::Ours;
};

struct EntryTable {
    std::span<const RegistryEntry> entries;
    std::span<const Placeholder> placeholders;
};

// What writing one entry found and changed, for undoing exactly that.
struct EntryUndo {
    ExpandedText key;
    UniqueHkey handle;
    const wchar_t* name = nullptr;
    bool created = false;  // the key was made by this write
    bool written = false;  // the value was set
    bool replaced = false; // ... over one that was there, kept here
    DWORD type = REG_NONE;
    HeapArray<BYTE> previous;
};

// Writes the entries in order. *attempted gets how many were tried, the failed one included.
// With one record per entry in undo, each write notes there what it changed.
HRESULT WriteEntries(HKEY root, const EntryTable& table, size_t* attempted,
                     std::span<EntryUndo> undo = {}) noexcept;

// Undoes the recorded writes, last first: each value it replaced is put back as it was (data
// and type), each value and key it made goes (a key only while nothing else is in it).
void UndoEntries(HKEY root, std::span<EntryUndo> undo) noexcept;

// The groups whose guards all hold what we write (a group without a guard is always ours).
HRESULT OwnedGroups(HKEY root, const EntryTable& table, EntryGroups* owned) noexcept;

// Removes the entries of the given groups in reverse order: a value only while it holds what
// we write (or whatever it holds, for EntryData::Any), and a key once nothing is left in it,
// so that a value or subkey someone else put there keeps its key. Entries already gone are
// fine, also those in a key that another handle deleted meanwhile; the first error is
// returned after trying all.
HRESULT RemoveEntries(HKEY root, const EntryTable& table, EntryGroups groups) noexcept;

// Whether a status says that what was looked for is not there: never made, removed, or in
// a key that was deleted while open.
constexpr bool Gone(LONG status)
{
    return status == ERROR_FILE_NOT_FOUND || status == ERROR_KEY_DELETED;
}

} // namespace orvane
