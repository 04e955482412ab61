// The module's path read whatever its length, up to the longest path Windows knows, from a
// stand-in for GetModuleFileNameW that reports a path of the length the test says.
#include "ModulePath.h"

#include <gtest/gtest.h>

namespace {

DWORD reportedLength = 0;

// As the system's routine: a path that does not fit is cut, terminated, and the capacity
// returned with ERROR_INSUFFICIENT_BUFFER.
DWORD WINAPI ReportPath(HMODULE, LPWSTR path, DWORD capacity)
{
    const DWORD copied = reportedLength < capacity ? reportedLength : capacity - 1;
    for (DWORD i = 0; i < copied; ++i)
        path[i] = L'x';
    path[copied] = L'\0';
    if (copied == reportedLength)
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
        reportedLength = c.length;
        orvane::ModulePath path;
        EXPECT_EQ(path.LoadFull(), c.expected);
        EXPECT_EQ(path.size(), c.expected == S_OK ? c.length : 0u);
    }
    orvane::ModuleFileNameSeam::Replace(nullptr);
}

} // namespace
