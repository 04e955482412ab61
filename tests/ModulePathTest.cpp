// The module's path read whatever its length, up to the longest path Windows knows, from a
// stand-in for GetModuleFileNameW that reports the path the test says.
#include "Allocator.h"
#include "ModulePath.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring reported;
// The error the stand-in fails with, or none.
constexpr DWORD kNoFailure = ~DWORD{0};
DWORD failure = kNoFailure;

// As the system's routine: a path that does not fit is cut, terminated, and the capacity
// returned with ERROR_INSUFFICIENT_BUFFER.
DWORD WINAPI ReportPath(HMODULE, LPWSTR path, DWORD capacity)
{
    if (failure != kNoFailure) {
        SetLastError(failure);
        return 0;
    }
    const DWORD length = static_cast<DWORD>(reported.size());
    const DWORD copied = length < capacity ? length : capacity - 1;
    reported.copy(path, copied);
    path[copied] = L'\0';
    if (copied == length)
        return copied;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return capacity;
}

// The component's allocator, counting the blocks it has out.
int outstanding = 0;
void* CountedAllocate(std::size_t bytes) noexcept
{
    ++outstanding;
    return HeapAlloc(GetProcessHeap(), 0, bytes);
}
void CountedFree(void* block) noexcept
{
    --outstanding;
    HeapFree(GetProcessHeap(), 0, block);
}

TEST(ModulePath, ReadsPathsUpToTheLongestThereIs)
{
    orvane::ModuleFileName fake{&ReportPath};
    orvane::ModuleFileNameSeam::Replace(&fake);
    orvane::Allocator counted{&CountedAllocate, &CountedFree};
    orvane::AllocatorSeam::Replace(&counted);
    const struct {
        DWORD length;
        HRESULT expected;
        DWORD failure = kNoFailure;
    } cases[] = {
        {259, S_OK},   {260, S_OK},   {16639, S_OK},
        {16640, S_OK}, {32767, S_OK}, {32768, HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE)},
        // The routine's own error; a failure that sets none is still one.
        {10, HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), ERROR_ACCESS_DENIED},
        {10, E_FAIL, ERROR_SUCCESS},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        reported.assign(c.length, L'x');
        failure = c.failure;
        {
            orvane::ModulePath path;
            EXPECT_EQ(path.LoadFull(), c.expected);
            EXPECT_EQ(path.size(), c.expected == S_OK ? c.length : 0u);
            if (c.expected == S_OK) {
                EXPECT_TRUE(path.c_str() == reported);
            }
        }
        // Each larger buffer replaces the one before.
        EXPECT_EQ(outstanding, 0);
    }
    failure = kNoFailure;
    orvane::AllocatorSeam::Replace(nullptr);
    orvane::ModuleFileNameSeam::Replace(nullptr);
}

// A real file whose path is one short of MAX_PATH, MAX_PATH long, and one longer: registered
// by its full path only while that is shorter than MAX_PATH.
TEST(ModulePath, RegistersTheShortFormFromMaxPathOn)
{
    orvane::ModuleFileName fake{&ReportPath};
    orvane::ModuleFileNameSeam::Replace(&fake);
    wchar_t temp[MAX_PATH];
    const std::wstring folder =
        std::wstring(temp, GetTempPathW(MAX_PATH, temp)) + L"Orvane path test";
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const size_t length : {MAX_PATH - 1, MAX_PATH, MAX_PATH + 1}) {
        SCOPED_TRACE(length);
        reported = folder + L"\\" + std::wstring(length - folder.size() - 5, L'x') + L".dll";
        const std::wstring extended = L"\\\\?\\" + reported;
        CloseHandle(CreateFileW(extended.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                nullptr));
        orvane::ModulePath path;
        EXPECT_EQ(path.LoadRegistrable(), S_OK);
        EXPECT_EQ(path.c_str() == reported, length < MAX_PATH) << path.c_str();
        EXPECT_LT(path.size(), static_cast<DWORD>(MAX_PATH));
        DeleteFileW(extended.c_str());
    }
    // A long path whose short form cannot be had (no such file) is no path to register.
    reported = folder + L"\\missing\\" + std::wstring(250, L'x');
    orvane::ModulePath missing;
    const HRESULT hr = missing.LoadRegistrable();
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    RemoveDirectoryW(folder.c_str());
    orvane::ModuleFileNameSeam::Replace(nullptr);
}

// The loader appends .dll to a name without an extension, unless it ends in a dot: a file
// without one is registered by its name and a dot, which loads it.
TEST(ModulePath, NamesAFileWithoutAnExtensionWithATrailingDot)
{
    orvane::ModuleFileName fake{&ReportPath};
    orvane::ModuleFileNameSeam::Replace(&fake);
    const struct {
        const wchar_t* reported;
        const wchar_t* registered;
    } rows[] = {
        {L"C:\\fn\\Orvane", L"C:\\fn\\Orvane."},
        {L"C:\\fn.d\\Orvane", L"C:\\fn.d\\Orvane."},
        {L"\\\\server\\share\\Orvane", L"\\\\server\\share\\Orvane."},
        {L"C:\\fn\\Orvane.dll", L"C:\\fn\\Orvane.dll"},
        {L"C:\\fn\\Orvane.x", L"C:\\fn\\Orvane.x"},
    };
    for (const auto& row : rows) {
        reported = row.reported;
        orvane::ModulePath path;
        EXPECT_EQ(path.LoadRegistrable(), S_OK);
        EXPECT_STREQ(path.c_str(), row.registered);
        EXPECT_EQ(path.size(), wcslen(row.registered));
    }
    orvane::ModuleFileNameSeam::Replace(nullptr);
}

} // namespace
