// What the process holds, for tests that check nothing is left behind.
#pragma once

#include <windows.h>
#include <psapi.h>

// Private memory committed to the process (its commit charge, which Wine also reports).
inline SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

// The process's open handles. Where the count is not kept (Wine answers 0), the handle
// table's first thousands of values are walked instead.
inline DWORD HandleCount()
{
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0)
        return count;
    DWORD flags = 0;
    for (ULONG_PTR value = 4; value < 0x4000; value += 4)
        count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    return count;
}
