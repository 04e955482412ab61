// Creates Orvane.clsRegistry by its ProgID with nothing registered and asks it about each key
// given (HKEY_LOCAL_MACHINE\SOFTWARE when none). The application manifest embedded in this
// program names the component's assembly; Windows finds that assembly's manifest beside the
// program and, through it, Orvane.dll. Exits with 0 when every call answered, 1 when one
// failed, 2 when the object cannot be created.
#include "Orvane.h"

#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 2;
    CLSID clsid{};
    _clsRegistry* probe = nullptr;
    HRESULT hr = CLSIDFromProgID(L"Orvane.clsRegistry", &clsid);
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__clsRegistry,
                              reinterpret_cast<void**>(&probe));
    if (FAILED(hr)) {
        std::wprintf(L"Cannot create Orvane.clsRegistry: error 0x%08lX\n",
                     static_cast<unsigned long>(hr));
        CoUninitialize();
        return 2;
    }

    static const wchar_t* const fallback[] = {L"HKEY_LOCAL_MACHINE\\SOFTWARE"};
    const wchar_t* const* paths = argc > 1 ? argv + 1 : fallback;
    const int count = argc > 1 ? argc - 1 : 1;
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        BSTR key = SysAllocString(paths[i]);
        VARIANT_BOOL exists = VARIANT_FALSE;
        hr = key ? probe->KeyExist(key, &exists) : E_OUTOFMEMORY;
        SysFreeString(key);
        if (FAILED(hr)) {
            ++failures;
            std::wprintf(L"%ls: error 0x%08lX\n", paths[i], static_cast<unsigned long>(hr));
        } else {
            std::wprintf(L"%ls: %ls\n", paths[i], exists ? L"True" : L"False");
        }
    }
    probe->Release();
    CoUninitialize();
    return failures == 0 ? 0 : 1;
}
