#include "ModulePath.h"

#include "Module.h"

namespace orvane {
namespace {

// The longest path Windows knows, counting its terminating NUL.
constexpr DWORD kLongestPath = 32768;

HRESULT LastError() noexcept
{
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

// Through a function of ours, so that the set is constant: the address of an imported
// routine is known only at run time, and no start-up code of a DLL would store it.
DWORD WINAPI GetFileName(HMODULE module, LPWSTR path, DWORD capacity)
{
    return GetModuleFileNameW(module, path, capacity);
}

constinit ModuleFileName systemModuleFileName{&GetFileName};

} // namespace

ModuleFileName& ModuleFileName::System() noexcept
{
    return systemModuleFileName;
}

bool ModulePath::Reserve(DWORD capacity) noexcept
{
    length_ = 0;
    return text_.Reset(capacity);
}

HRESULT ModulePath::LoadFull() noexcept
{
    const ModuleFileName& routines = ModuleFileNameSeam::Current();
    // Doubling from MAX_PATH, and the longest path as the last size tried.
    for (DWORD capacity = MAX_PATH;;
         capacity = capacity * 2 < kLongestPath ? capacity * 2 : kLongestPath) {
        if (!Reserve(capacity))
            return E_OUTOFMEMORY;
        const DWORD length = routines.get(ThisModule(), text_.data(), capacity);
        if (length == 0)
            return LastError();
        if (length < capacity) {
            length_ = length;
            return S_OK;
        }
        if (capacity == kLongestPath)
            return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    }
}

HRESULT ModulePath::LoadShort() noexcept
{
    ModulePath full;
    HRESULT hr = full.LoadFull();
    if (FAILED(hr))
        return hr;
    const DWORD needed = GetShortPathNameW(full.c_str(), nullptr, 0);
    if (needed == 0)
        return LastError();
    if (!Reserve(needed))
        return E_OUTOFMEMORY;
    const DWORD length = GetShortPathNameW(full.c_str(), text_.data(), needed);
    if (length == 0)
        return LastError();
    if (length >= needed)
        return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    length_ = length;
    return S_OK;
}

HRESULT ModulePath::MarkNoExtension() noexcept
{
    DWORD name = length_;
    while (name > 0 && text_.data()[name - 1] != L'\\' && text_.data()[name - 1] != L'/')
        --name;
    for (DWORD i = name; i < length_; ++i) {
        if (text_.data()[i] == L'.')
            return S_OK;
    }
    if (length_ + 2 > text_.size()) {
        HeapArray<wchar_t> longer;
        if (!longer.Reset(length_ + 2))
            return E_OUTOFMEMORY;
        for (DWORD i = 0; i < length_; ++i)
            longer.data()[i] = text_.data()[i];
        text_ = std::move(longer);
    }
    text_.data()[length_++] = L'.';
    text_.data()[length_] = L'\0';
    return S_OK;
}

HRESULT ModulePath::LoadRegistrable() noexcept
{
    HRESULT hr = LoadFull();
    if (SUCCEEDED(hr))
        hr = MarkNoExtension();
    if (FAILED(hr) || length_ < MAX_PATH)
        return hr;
    hr = LoadShort();
    return SUCCEEDED(hr) ? MarkNoExtension() : hr;
}

} // namespace orvane
