// A host that loads and unloads the server again and again: each cycle must give back all it
// took, and the DLL must really go each time.
#include "Identity.h"
#include "ProcessMemory.h"
#include "ServerTest.h"

#include <cstdio>
#include <vector>

namespace {

// Thread-local storage slots still free in this process: all taken, counted, given back.
int FreeTlsSlots()
{
    std::vector<DWORD> taken;
    for (DWORD slot; (slot = TlsAlloc()) != TLS_OUT_OF_INDEXES;)
        taken.push_back(slot);
    for (DWORD slot : taken)
        TlsFree(slot);
    return static_cast<int>(taken.size());
}

struct Cycle {
    bool loaded = false;
    bool answered = false;
    bool unloadable = false;
    bool unloaded = false;
    DWORD loadError = 0;
};

// Load, create, ask (through the vtable, and late bound now and then), release, unload.
Cycle LoadCreateCallUnload(bool lateBound)
{
    Cycle cycle;
    HMODULE dll = LoadLibraryW(L"Orvane.dll");
    if (!dll) {
        cycle.loadError = GetLastError();
        return cycle;
    }
    cycle.loaded = true;
    using GetClassObjectProc = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using CanUnloadNowProc = HRESULT(STDAPICALLTYPE*)();
    const auto getClassObject = reinterpret_cast<GetClassObjectProc>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
    const auto canUnloadNow = reinterpret_cast<CanUnloadNowProc>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
    {
        ComPtr<IClassFactory> factory;
        ComPtr<_clsRegistry> probe;
        orvane::UniqueBstr key = orvane::MakeBstr(L"HKEY_CURRENT_USER\\Software");
        VARIANT_BOOL answer = VARIANT_FALSE;
        if (SUCCEEDED(getClassObject(CLSID_clsRegistry, IID_PPV_ARGS(&factory))) &&
            SUCCEEDED(factory->CreateInstance(nullptr, IID_PPV_ARGS(&probe))) &&
            probe->KeyExist(key.get(), &answer) == S_OK)
            cycle.answered = answer == VARIANT_TRUE;
        if (cycle.answered && lateBound) {
            LPOLESTR name = const_cast<LPOLESTR>(L"" ORVANE_METHOD_NAME);
            DISPID id = DISPID_UNKNOWN;
            VARIANT argument{};
            argument.vt = VT_BSTR;
            argument.bstrVal = key.get();
            DISPPARAMS params{&argument, nullptr, 1, 0};
            VARIANT result{};
            cycle.answered =
                probe->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id) == S_OK &&
                probe->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result,
                              nullptr, nullptr) == S_OK &&
                result.vt == VT_BOOL && result.boolVal == VARIANT_TRUE;
        }
    }
    cycle.unloadable = canUnloadNow() == S_OK;
    FreeLibrary(dll);
    cycle.unloaded = GetModuleHandleW(L"Orvane.dll") == nullptr;
    return cycle;
}

using LoadCycles = ComTest;

TEST_F(LoadCycles, TenThousandLeaveNothingBehind)
{
    ASSERT_EQ(GetModuleHandleW(L"Orvane.dll"), nullptr) << "the DLL is loaded already";
    auto run = [](int cycles) {
        int failed = 0;
        for (int i = 0; i < cycles; ++i) {
            const Cycle cycle = LoadCreateCallUnload(i % 10 == 0);
            if (!cycle.loaded || !cycle.answered || !cycle.unloadable || !cycle.unloaded) {
                if (++failed <= 3)
                    ADD_FAILURE() << "cycle " << i << ": loaded " << cycle.loaded << " (error "
                                  << cycle.loadError << "), answered "
                                  << cycle.answered << ", could unload " << cycle.unloadable
                                  << ", unloaded " << cycle.unloaded;
            }
        }
        return failed;
    };
    // Warm-up: the system DLLs' own caches, and a checking heap's queue of blocks it frees late.
    ASSERT_EQ(run(1000), 0);
    const int tlsBefore = FreeTlsSlots();
    const DWORD handlesBefore = HandleCount();
    const SIZE_T bytesBefore = PrivateBytes();

    EXPECT_EQ(run(10000), 0);

    const int tlsAfter = FreeTlsSlots();
    const DWORD handlesAfter = HandleCount();
    const SIZE_T bytesAfter = PrivateBytes();
    std::printf("free TLS slots %d -> %d, handles %lu -> %lu, private bytes %lu -> %lu\n",
                tlsBefore, tlsAfter, static_cast<unsigned long>(handlesBefore),
                static_cast<unsigned long>(handlesAfter), static_cast<unsigned long>(bytesBefore),
                static_cast<unsigned long>(bytesAfter));
    EXPECT_EQ(tlsAfter, tlsBefore);
    EXPECT_EQ(handlesAfter, handlesBefore);
    // Even 64 bytes kept per load would be 640 KB here.
    EXPECT_LT(bytesAfter, bytesBefore + 256 * 1024) << "before: " << bytesBefore;
}

} // namespace
