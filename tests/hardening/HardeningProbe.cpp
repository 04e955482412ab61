// What Wine can show of the shipped DLL's hardening, which it does not enforce:
//   HardeningProbe symbol <dll>  an address inside KeyExist, taken from a live object's
//                                table, resolves to KeyExist through dbghelp and the PDB
//                                beside the DLL (KeyExist is not exported: only the PDB
//                                names it)
//   HardeningProbe smash <dll>   the DLL's Smash overruns a local buffer: the process that
//                                calls it must end in the stack check, not return
// The DLL is named relative to this program's folder. Exits 0 when the DLL passes.
#include <windows.h>
#include <dbghelp.h>
#include <objbase.h>

#include <cstdio>
#include <cwchar>

#include "Orvane.h"

namespace {

wchar_t g_folder[MAX_PATH];

// The folder of this program, where the DLL and its PDB lie.
bool FindFolder()
{
    const DWORD length = GetModuleFileNameW(nullptr, g_folder, MAX_PATH);
    if (length == 0 || length == MAX_PATH)
        return false;
    wchar_t* slash = std::wcsrchr(g_folder, L'\\');
    if (!slash)
        return false;
    *slash = L'\0';
    return true;
}

// The name dbghelp gives the address, loading the module's symbols; empty when none.
bool NameOf(HMODULE module, const wchar_t* path, DWORD64 address, wchar_t* name, DWORD64* offset)
{
    HANDLE process = GetCurrentProcess();
    SymSetOptions(SymGetOptions() | SYMOPT_UNDNAME);
    if (!SymInitializeW(process, g_folder, FALSE))
        return false;
    bool found = false;
    const DWORD64 base = SymLoadModuleExW(process, nullptr, path, nullptr,
                                          reinterpret_cast<DWORD64>(module), 0, nullptr, 0);
    IMAGEHLP_MODULEW64 info{};
    info.SizeOfStruct = sizeof info;
    if (base && SymGetModuleInfoW64(process, base, &info)) {
        std::wprintf(L"symbols: %ls (type %d, age %lu)\n", info.LoadedPdbName,
                     static_cast<int>(info.SymType), static_cast<unsigned long>(info.PdbAge));
        alignas(SYMBOL_INFOW) unsigned char buffer[sizeof(SYMBOL_INFOW) + 256 * sizeof(wchar_t)]{};
        auto* symbol = reinterpret_cast<SYMBOL_INFOW*>(buffer);
        symbol->SizeOfStruct = sizeof(SYMBOL_INFOW);
        symbol->MaxNameLen = 256;
        if (info.SymType == SymPdb && SymFromAddrW(process, address, offset, symbol)) {
            std::wcsncpy(name, symbol->Name, 256);
            name[255] = L'\0';
            found = true;
        }
    }
    SymCleanup(process);
    return found;
}

int Symbol(HMODULE module, const wchar_t* path)
{
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    IClassFactory* factory = nullptr;
    IDispatch* object = nullptr;
    if (!get || FAILED(get(CLSID_clsRegistry, IID_IClassFactory, reinterpret_cast<void**>(&factory))) ||
        FAILED(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&object)))) {
        std::wprintf(L"no object from %ls\n", path);
        if (factory)
            factory->Release();
        return 1;
    }
    // KeyExist follows IDispatch's seven methods in the interface's table.
    void* keyExist = (*reinterpret_cast<void***>(object))[7];
    const DWORD64 inside = reinterpret_cast<DWORD64>(keyExist) + 4;
    wchar_t name[256] = L"";
    DWORD64 offset = 0;
    const bool found = NameOf(module, path, inside, name, &offset);
    object->Release();
    factory->Release();
    std::wprintf(L"%p+4: %ls+%llu\n", keyExist, found ? name : L"(no name)",
                 static_cast<unsigned long long>(offset));
    return found && std::wcsstr(name, L"KeyExist") && offset == 4 ? 0 : 1;
}

// In a process of its own: the stack check ends that process at once (fail-fast, no handler
// runs), with STATUS_STACK_BUFFER_OVERRUN. Nothing else in the DLL ends a process so.
int SmashInChild(HMODULE module, const wchar_t* path)
{
    using SmashFunction = void (*)(const char*, unsigned);
    auto smash = reinterpret_cast<SmashFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, "Smash")));
    if (!smash) {
        std::wprintf(L"%ls exports no Smash\n", path);
        return 1;
    }
    // Two pointers past the 16-byte buffer reach the guard, not the arguments above the
    // return address (on x86 the loop reads its text from there).
    smash("overrun", 16 + 2 * sizeof(void*));
    std::wprintf(L"Smash returned: nothing checked the stack\n");
    return 1;
}

int Smash(const wchar_t* dll)
{
    wchar_t self[MAX_PATH];
    wchar_t command[2 * MAX_PATH];
    if (!GetModuleFileNameW(nullptr, self, MAX_PATH) ||
        _snwprintf(command, 2 * MAX_PATH, L"\"%ls\" smash-child \"%ls\"", self, dll) < 0)
        return 2;
    command[2 * MAX_PATH - 1] = L'\0';
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    if (!CreateProcessW(self, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child)) {
        std::wprintf(L"cannot start %ls (error %lu)\n", command, GetLastError());
        return 1;
    }
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    std::wprintf(L"Smash: the process ended with 0x%08lX\n", static_cast<unsigned long>(code));
    return code == static_cast<DWORD>(STATUS_STACK_BUFFER_OVERRUN) ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const bool symbol = argc == 3 && std::wcscmp(argv[1], L"symbol") == 0;
    const bool child = argc == 3 && std::wcscmp(argv[1], L"smash-child") == 0;
    if (argc != 3 || (!symbol && !child && std::wcscmp(argv[1], L"smash") != 0)) {
        std::fwprintf(stderr, L"usage: HardeningProbe symbol|smash <dll>\n");
        return 2;
    }
    if (!symbol && !child)
        return Smash(argv[2]);
    wchar_t path[MAX_PATH];
    if (!FindFolder() || _snwprintf(path, MAX_PATH, L"%ls\\%ls", g_folder, argv[2]) < 0)
        return 2;
    path[MAX_PATH - 1] = L'\0';
    HMODULE module = LoadLibraryW(path);
    if (!module) {
        std::wprintf(L"cannot load %ls (error %lu)\n", path, GetLastError());
        return 1;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int status = symbol ? Symbol(module, path) : SmashInChild(module, path);
    CoUninitialize();
    FreeLibrary(module);
    return status;
}
