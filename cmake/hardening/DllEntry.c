/* The DLL's entry point: makes the stack guard unpredictable before anything protected runs,
   where the loader has not already, then calls DllMain. Built without stack protection: it
   changes the guard. */
#include <windows.h>
#include "StackGuard.h"

static void seed_guard(void)
{
    if (__stack_chk_guard != UNSEEDED)
        return; /* the loader seeded it */
    FILETIME time;
    GetSystemTimeAsFileTime(&time);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    uint64_t value = ((uint64_t)time.dwHighDateTime << 32 | time.dwLowDateTime);
    value ^= (uint64_t)GetCurrentThreadId() << 32 ^ GetCurrentProcessId();
    value ^= (uint64_t)counter.QuadPart << 32 ^ (uint64_t)counter.QuadPart;
    value ^= GetTickCount64();
    value ^= (uintptr_t)&value;
#if UINTPTR_MAX > 0xFFFFFFFFu
    uintptr_t guard = value & 0x0000FFFFFFFFFFFFull; /* as a loader seeds it: the top bits clear */
#else
    uintptr_t guard = (uintptr_t)(value ^ value >> 32);
#endif
    if (guard == UNSEEDED || guard == 0)
        guard = UNSEEDED ^ 0x4711;
    __stack_chk_guard = guard;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

/* The first call (DLL_PROCESS_ATTACH) comes before any code of the DLL has run. */
BOOL WINAPI DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
        seed_guard();
    return DllMain(instance, reason, reserved);
}
