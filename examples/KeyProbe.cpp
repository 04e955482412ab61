// Asks the probe about a few keys and prints each answer. With arguments, asks about those.
#include "Handles.h"
#include "clsRegistry.h"

#include <cstdio>

int wmain(int argc, wchar_t** argv)
{
    static const wchar_t* const defaults[] = {
        L"HKEY_LOCAL_MACHINE\\SOFTWARE",
        L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
        L"HKEY_CURRENT_USER\\Software",
        L"HKEY_CLASSES_ROOT\\CLSID",
        L"HKEY_LOCAL_MACHINE\\SOFTWARE\\No Such Key",
        L"HKEY_NOWHERE\\X",
    };

    clsRegistry* probe = new clsRegistry();
    int failures = 0;
    auto ask = [&](const wchar_t* path) {
        orvane::UniqueBstr key = orvane::MakeBstr(path);
        VARIANT_BOOL exists = VARIANT_FALSE;
        const HRESULT hr = probe->KeyExist(key.get(), &exists);
        if (FAILED(hr)) {
            ++failures;
            std::wprintf(L"%ls: error 0x%08lX\n", path, static_cast<unsigned long>(hr));
        } else {
            std::wprintf(L"%ls: %ls\n", path, exists ? L"True" : L"False");
        }
    };
    if (argc > 1) {
        for (int i = 1; i < argc; ++i)
            ask(argv[i]);
    } else {
        for (const wchar_t* path : defaults)
            ask(path);
    }
    probe->Release();
    return failures == 0 ? 0 : 1;
}
