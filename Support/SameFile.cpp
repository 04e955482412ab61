#include "SameFile.h"

#include "Allocator.h"
#include "Handles.h"

#include <cstring>

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

// Through a function of ours, so that the set is constant (see ModulePath.cpp).
DWORD WINAPI GetFinalPath(HANDLE file, LPWSTR path, DWORD capacity, DWORD flags)
{
    return GetFinalPathNameByHandleW(file, path, capacity, flags);
}

constinit FinalPathName systemFinalPathName{&GetFinalPath};

// FILE_ID_INFO (Windows 8 on): the volume's 64-bit serial number and the 128-bit file id,
// unique also where the 64-bit index is not (ReFS, some SMB servers).
constexpr int kFileIdInfo = 18;
struct FileId {
    ULONGLONG volume;
    BYTE id[16];
};

struct OpenFile {
    UniqueKernelHandle handle;
    bool wide = false; // id.id holds 128 bits; else the 64-bit index and a 32-bit serial
    FileId id{};

    bool Open(const wchar_t* path) noexcept
    {
        // Attributes only: the file need not be readable, nor free of other openers.
        const HANDLE file = CreateFileW(path, FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        handle.reset(file);
        const auto idInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(kFileIdInfo);
        wide = GetFileInformationByHandleEx(file, idInfo, &id, sizeof id) != FALSE;
        if (wide)
            return true;
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(file, &info))
            return false;
        id.volume = info.dwVolumeSerialNumber;
        std::memcpy(id.id, &info.nFileIndexLow, sizeof info.nFileIndexLow);
        std::memcpy(id.id + 4, &info.nFileIndexHigh, sizeof info.nFileIndexHigh);
        return true;
    }
};

bool SameId(const OpenFile& one, const OpenFile& other) noexcept
{
    return one.wide == other.wide && one.id.volume == other.id.volume &&
           std::memcmp(one.id.id, other.id.id, sizeof one.id.id) == 0;
}

// The file's final path in the form the flag asks for; empty (*length 0) where there is none.
HRESULT FinalPath(HANDLE file, DWORD volume, HeapArray<wchar_t>& path, DWORD* length) noexcept
{
    const FinalPathName& routine = FinalPathNameSeam::Current();
    const DWORD flags = FILE_NAME_NORMALIZED | volume;
    *length = 0;
    const DWORD needed = routine.get(file, nullptr, 0, flags);
    if (needed == 0)
        return S_OK;
    if (!path.Reset(needed))
        return E_OUTOFMEMORY;
    const DWORD written = routine.get(file, path.data(), needed, flags);
    // Longer since it was measured (renamed, say): none to compare.
    if (written < needed)
        *length = written;
    return S_OK;
}

} // namespace

FinalPathName& FinalPathName::System() noexcept
{
    return systemFinalPathName;
}

HRESULT SameFile(const wchar_t* first, const wchar_t* second, bool* same) noexcept
{
    *same = false;
    OpenFile one;
    OpenFile other;
    if (!FullyQualified(first) || !FullyQualified(second) || !one.Open(first) ||
        !other.Open(second) || !SameId(one, other))
        return S_OK;
    // The device's name where the system has one (Windows always; Wine only for a drive of
    // its own), else the drive's: Wine gives two file systems below Z: serial 0 and often
    // the same inode, and names them apart only so.
    for (const DWORD volume : {DWORD{VOLUME_NAME_NT}, DWORD{VOLUME_NAME_DOS}}) {
        HeapArray<wchar_t> onePath;
        HeapArray<wchar_t> otherPath;
        DWORD oneLength = 0;
        DWORD otherLength = 0;
        HRESULT hr = FinalPath(one.handle.get(), volume, onePath, &oneLength);
        if (SUCCEEDED(hr) && oneLength != 0)
            hr = FinalPath(other.handle.get(), volume, otherPath, &otherLength);
        if (FAILED(hr))
            return hr;
        if (oneLength == 0 || otherLength == 0)
            continue;
        *same = CompareStringOrdinal(onePath.data(), static_cast<int>(oneLength),
                                     otherPath.data(), static_cast<int>(otherLength),
                                     TRUE) == CSTR_EQUAL;
        return S_OK;
    }
    // No final path for both: the identity alone.
    *same = true;
    return S_OK;
}

} // namespace orvane
