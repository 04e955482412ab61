// Whether two paths name one file, however each is spelled (long or short names, case, a
// second drive letter, a linked folder, the \\?\ form, a path longer than MAX_PATH).
#pragma once

#include "Seam.h"

#include <windows.h>

namespace orvane {

// GetFinalPathNameByHandleW, replaceable so that tests can stand for a file system that
// gives no final path.
struct FinalPathName {
    DWORD(WINAPI* get)(HANDLE file, LPWSTR path, DWORD capacity, DWORD flags);

    static FinalPathName& System() noexcept;
};

using FinalPathNameSeam = Seam<FinalPathName>;

// *same is true when both name an existing file and it is the same one: the same volume
// serial number and file id there (the 128-bit id where the file system has one) and the
// same final path, with the volume's device (or drive) and every link resolved, where the
// system gives one for both. A path that names no file matches nothing, nor does one that
// is not fully qualified (relative, rooted on the current drive, or C:name): which file it
// names depends on the process's current folders. E_OUTOFMEMORY when a path cannot be held.
HRESULT SameFile(const wchar_t* first, const wchar_t* second, bool* same) noexcept;

} // namespace orvane
