// A DLL linked as the shipped one is (orvane_shipped_dll), whose one function writes past the
// end of a local buffer: its stack check must catch it (HardeningProbe smash).
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}

extern "C" __declspec(dllexport) void Smash(const char* text, unsigned length)
{
    char buffer[16];
    volatile char* out = buffer;
    for (unsigned i = 0; i < length; ++i)
        out[i] = text[i % 7]; // past the end, over the guard, once length exceeds 16
}
