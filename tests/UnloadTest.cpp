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

} // namespace
