// The DLL loaded by COM alone, for a client that holds only its class factory: COM's sweep
// of unused libraries must leave it loaded until the factory goes, and unload it then.
#include "DllCopy.h"
#include "ServerTest.h"

namespace {

constexpr wchar_t kDll[] = L"Orvane.dll";

// Registers the DLL beside the test program machine-wide without keeping it loaded, and
// unregisters it again however the test ends.
class Registered {
public:
    Registered() { ok_ = Call("DllRegisterServer") == S_OK; }
    ~Registered() { Call("DllUnregisterServer"); }
    Registered(const Registered&) = delete;
    Registered& operator=(const Registered&) = delete;

    bool ok() const { return ok_; }

private:
    static HRESULT Call(const char* name) { return CallExport(kDll, name); }

    bool ok_ = false;
};

bool Loaded()
{
    return GetModuleHandleW(kDll) != nullptr;
}

using Unload = ComTest;

TEST_F(Unload, HeldFactoryKeepsTheDllLoaded)
{
    Registered registration;
    ASSERT_TRUE(registration.ok());
    ASSERT_FALSE(Loaded()) << "something else holds the DLL";

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(CoGetClassObject(CLSID_clsRegistry, CLSCTX_INPROC_SERVER, nullptr,
                               IID_PPV_ARGS(&factory)),
              S_OK);
    ASSERT_TRUE(Loaded());
    CoFreeUnusedLibrariesEx(0, 0);
    if (!Loaded()) {
        factory.Detach(); // its code is gone: releasing it would jump into unmapped memory
        FAIL() << "the DLL was unloaded under a held class factory";
    }

    ComPtr<_clsRegistry> probe;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&probe)), S_OK);
    orvane::UniqueBstr key = Bstr(L"HKEY_LOCAL_MACHINE\\SOFTWARE");
    VARIANT_BOOL exists = VARIANT_FALSE;
    EXPECT_EQ(probe->KeyExist(key.get(), &exists), S_OK);
    EXPECT_EQ(exists, VARIANT_TRUE);
    probe.Reset();
    CoFreeUnusedLibrariesEx(0, 0);
    EXPECT_TRUE(Loaded());

    // The control: with nothing held, the same sweep unloads it.
    factory.Reset();
    CoFreeUnusedLibrariesEx(0, 0);
    EXPECT_FALSE(Loaded());
}

// The type information the DLL keeps for its objects goes when FreeLibrary unloads it: a
// client's own reference is then the last.
TEST_F(Unload, CachedTypeInfoGoesWithTheDll)
{
    ASSERT_FALSE(Loaded()) << "something else holds the DLL";
    HMODULE dll = LoadLibraryW(kDll);
    ASSERT_NE(dll, nullptr);
    using GetClassObjectProc = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    const auto getClassObject = reinterpret_cast<GetClassObjectProc>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
    ITypeInfo* info = nullptr;
    {
        ComPtr<IClassFactory> factory;
        ComPtr<_clsRegistry> probe;
        ASSERT_EQ(getClassObject(CLSID_clsRegistry, IID_PPV_ARGS(&factory)), S_OK);
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&probe)), S_OK);
        ASSERT_EQ(probe->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info), S_OK);
    }
    FreeLibrary(dll);
    EXPECT_FALSE(Loaded());
    // Nor does the DLL keep the library: only the type information holds it (Wine's count).
    ITypeLib* library = nullptr;
    UINT index = 0;
    ASSERT_EQ(info->GetContainingTypeLib(&library, &index), S_OK);
    EXPECT_EQ(library->Release(), 1u);
    EXPECT_EQ(info->Release(), 0u);
}

} // namespace
