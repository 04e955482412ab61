// The module's path read whatever its length, up to the longest path Windows knows, from a
// stand-in for GetModuleFileNameW that reports the path the test says.
#include "ModulePath.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring reported;

// As the system's routine: a path that does not fit is cut, terminated, and the capacity
// returned with ERROR_INSUFFICIENT_BUFFER.
DWORD WINAPI ReportPath(HMODULE, LPWSTR path, DWORD capacity)
{
    const DWORD length = static_cast<DWORD>(reported.size());
    const DWORD copied = length < capacity ? length : capacity - 1;
    reported.copy(path, copied);
    path[copied] = L'\0';
    if (copied == length)
        return copied;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return capacity;
}

TEST(ModulePath, ReadsPathsUpToTheLongestThereIs)
{
    orvane::ModuleFileName fake{&ReportPath};
    orvane::ModuleFileNameSeam::Replace(&fake);
    const struct {
        DWORD length;
        HRESULT expected;
    } cases[] = {
        {259, S_OK},   {260, S_OK},   {16639, S_OK},
        {16640, S_OK}, {32767, S_OK}, {32768, HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        reported.assign(c.length, L'x');
        orvane::ModulePath path;
        EXPECT_EQ(path.LoadFull(), c.expected);
        EXPECT_EQ(path.size(), c.expected == S_OK ? c.length : 0u);
    }
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
