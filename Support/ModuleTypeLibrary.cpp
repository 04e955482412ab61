#include "ModuleTypeLibrary.h"

#include "Module.h"

#include <oleauto.h>

#include <new>

namespace orvane {
namespace {

// The longest path Windows knows, counting its terminating NUL.
constexpr DWORD kLongestPath = 32768;

HRESULT LastError() noexcept
{
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

// A path in a heap buffer of the size asked for.
class PathBuffer {
public:
    PathBuffer() noexcept = default;
    ~PathBuffer() { delete[] text_; }
    PathBuffer(const PathBuffer&) = delete;
    PathBuffer& operator=(const PathBuffer&) = delete;

    bool Reserve(DWORD capacity) noexcept
    {
        delete[] text_;
        text_ = new (std::nothrow) wchar_t[capacity];
        capacity_ = text_ ? capacity : 0;
        return text_ != nullptr;
    }

    wchar_t* get() const noexcept { return text_; }
    DWORD capacity() const noexcept { return capacity_; }

private:
    wchar_t* text_ = nullptr;
    DWORD capacity_ = 0;
};

HRESULT GetModulePath(PathBuffer& path) noexcept
{
    for (DWORD capacity = MAX_PATH; capacity <= kLongestPath; capacity *= 2) {
        if (!path.Reserve(capacity))
            return E_OUTOFMEMORY;
        const DWORD length = GetModuleFileNameW(ThisModule(), path.get(), capacity);
        if (length == 0)
            return LastError();
        if (length < capacity)
            return S_OK;
    }
    return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
}

HRESULT GetShortPath(const wchar_t* path, PathBuffer& shortPath) noexcept
{
    const DWORD needed = GetShortPathNameW(path, nullptr, 0);
    if (needed == 0)
        return LastError();
    if (!shortPath.Reserve(needed))
        return E_OUTOFMEMORY;
    const DWORD length = GetShortPathNameW(path, shortPath.get(), needed);
    if (length == 0)
        return LastError();
    return length < needed ? S_OK : HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
}

} // namespace

HRESULT LoadModuleTypeLibrary(ITypeLib** library) noexcept
{
    if (!library)
        return E_POINTER;
    *library = nullptr;
    PathBuffer path;
    HRESULT hr = GetModulePath(path);
    if (FAILED(hr))
        return hr;
    hr = LoadTypeLibEx(path.get(), REGKIND_NONE, library);
    if (SUCCEEDED(hr))
        return hr;

    // Only a different spelling of the path is worth a second try; otherwise the first
    // failure is the answer.
    PathBuffer shortPath;
    if (FAILED(GetShortPath(path.get(), shortPath)) ||
        CompareStringOrdinal(path.get(), -1, shortPath.get(), -1, FALSE) == CSTR_EQUAL)
        return hr;
    return LoadTypeLibEx(shortPath.get(), REGKIND_NONE, library);
}

} // namespace orvane
