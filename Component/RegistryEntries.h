// Registry entries as data: written by one loop, removed by another.
#pragma once

#include <windows.h>

#include <string>
#include <span>

namespace orvane {

struct RegistryEntry {
    std::wstring key;  // below the root the entries are written under
    std::wstring name; // the value's name; empty for the key's default value
    std::wstring data; // REG_SZ
    bool shared = false;  // seen by both the 32-bit and the 64-bit registry view
    bool keyOnly = false; // a key of ours that holds no value of its own
};

// Writes the entries in order. On failure removes what it wrote and returns the error.
HRESULT WriteEntries(HKEY root, std::span<const RegistryEntry> entries) noexcept;

// Removes the entries' values in reverse order, and each key once nothing is left in it:
// a value or subkey that someone else put there keeps its key. Entries already gone are
// fine.
HRESULT RemoveEntries(HKEY root, std::span<const RegistryEntry> entries) noexcept;

} // namespace orvane
