// Prints what ProgIDFromCLSID answers for the class, as object browsers and scripts see it:
// ProgIdOfClass {CLSID}. Exits 1 when it fails.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    CLSID clsid{};
    if (argc != 2 || FAILED(CLSIDFromString(argv[1], &clsid))) {
        std::fwprintf(stderr, L"usage: ProgIdOfClass {CLSID}\n");
        return 2;
    }
    LPOLESTR progId = nullptr;
    const HRESULT hr = ProgIDFromCLSID(clsid, &progId);
    if (FAILED(hr)) {
        std::wprintf(L"error 0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    std::wprintf(L"%ls\n", progId);
    CoTaskMemFree(progId);
    return 0;
}
