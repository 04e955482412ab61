#include "SameFile.h"

#include <windows.h>

namespace orvane {
namespace {

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
    return Identify(first, one) && Identify(second, other) &&
           one.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
           one.nFileIndexHigh == other.nFileIndexHigh && one.nFileIndexLow == other.nFileIndexLow;
}

} // namespace orvane
