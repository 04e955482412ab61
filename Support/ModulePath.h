// This module's file path in a heap buffer of its own, whatever its length: in full, or in
// the form that other programs can load it by.
#pragma once

#include "Allocator.h"
#include "Seam.h"

#include <windows.h>

namespace orvane {

// GetModuleFileNameW, replaceable so that tests can report paths no file system makes.
struct ModuleFileName {
    DWORD(WINAPI* get)(HMODULE module, LPWSTR path, DWORD capacity);

    static ModuleFileName& System() noexcept;
};

using ModuleFileNameSeam = Seam<ModuleFileName>;

class ModulePath {
public:
    // The full path, as the loader reports it.
    HRESULT LoadFull() noexcept;
    // The full path's short (8.3) form; the full path where the file system has none.
    HRESULT LoadShort() noexcept;
    // The full path when it is shorter than MAX_PATH, else its short form: COM, the type
    // library loader and many hosts read registered paths into MAX_PATH buffers. A file
    // name without an extension ends in a dot, without which the loader would look for the
    // name with .dll appended.
    HRESULT LoadRegistrable() noexcept;

    const wchar_t* c_str() const noexcept { return length_ ? text_.data() : L""; }
    DWORD size() const noexcept { return length_; }

private:
    bool Reserve(DWORD capacity) noexcept;
    HRESULT MarkNoExtension() noexcept;

    HeapArray<wchar_t> text_;
    DWORD length_ = 0;
};

} // namespace orvane
