#include "SameFile.h"

#include <windows.h>

namespace orvane {
namespace {

bool IsSeparator(wchar_t c) noexcept
{
    return c == L'\\' || c == L'/';
}

// A drive's root or a UNC path; any other is resolved against the current folder or drive.
bool FullyQualified(const wchar_t* path) noexcept
{
    if (IsSeparator(path[0]))
        return IsSeparator(path[1]);
    const wchar_t drive = path[0] | 0x20;
    return drive >= L'a' && drive <= L'z' && path[1] == L':' && IsSeparator(path[2]);
}

bool Identify(const wchar_t* path, BY_HANDLE_FILE_INFORMATION& info) noexcept
{
    // Attributes only: the file need not be readable, nor free of other openers.
    const HANDLE file = CreateFileW(path, FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool identified = GetFileInformationByHandle(file, &info) != FALSE;
    CloseHandle(file);
    return identified;
}

} // namespace

bool SameFile(const wchar_t* first, const wchar_t* second) noexcept
{
    BY_HANDLE_FILE_INFORMATION one{};
    BY_HANDLE_FILE_INFORMATION other{};
    return FullyQualified(first) && FullyQualified(second) && Identify(first, one) &&
           Identify(second, other) &&
           one.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
           one.nFileIndexHigh == other.nFileIndexHigh && one.nFileIndexLow == other.nFileIndexLow;
}

} // namespace orvane
