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
