// Owners for the kinds of handle this component juggles: a BSTR that is freed, and an HKEY
// or a kernel object's handle that is closed, when the owner goes away.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string_view>
#include <utility>

namespace orvane {

template <class Handle, class Traits>
class UniqueHandle {
public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Handle get() const noexcept { return handle_; }
    Handle* put() noexcept
    {
        reset();
        return &handle_;
    }
    Handle release() noexcept { return std::exchange(handle_, Handle{}); }
    void reset(Handle handle = Handle{}) noexcept
    {
        if (Handle old = std::exchange(handle_, handle))
            Traits::Close(old);
    }
    explicit operator bool() const noexcept { return handle_ != Handle{}; }

private:
    Handle handle_{};
};

struct BstrTraits {
    static void Close(BSTR text) noexcept { SysFreeString(text); }
};
struct HkeyTraits {
    static void Close(HKEY key) noexcept { RegCloseKey(key); }
};

// A kernel object's handle; a null one is none (CreateFileW's INVALID_HANDLE_VALUE is not
// to be kept here).
struct KernelHandleTraits {
    static void Close(HANDLE handle) noexcept { CloseHandle(handle); }
};

using UniqueBstr = UniqueHandle<BSTR, BstrTraits>;
using UniqueHkey = UniqueHandle<HKEY, HkeyTraits>;
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;

// A counted copy of text, which may hold U+0000; empty on failure to allocate.
inline UniqueBstr MakeBstr(std::wstring_view text)
{
    return UniqueBstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

} // namespace orvane
