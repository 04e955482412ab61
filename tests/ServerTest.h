// Shared by the tests of the built Orvane.dll: COM for the test's thread, the DLL loaded
// beside the test program, and calls into its exports.
#pragma once

#include "Handles.h"
#include "Orvane.h"

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <string>

using Microsoft::WRL::ComPtr;

class ComTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    void TearDown() override { CoUninitialize(); }
};

// Orvane.dll from the test program's folder, loaded for the fixture's lifetime.
class ServerDllTest : public ComTest {
protected:
    void SetUp() override
    {
        ComTest::SetUp();
        dll_ = LoadLibraryW(L"Orvane.dll");
        ASSERT_NE(dll_, nullptr) << GetLastError();
    }
    void TearDown() override
    {
        FreeLibrary(dll_);
        ComTest::TearDown();
    }

    template <class Proc>
    Proc Export(const char* name)
    {
        return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(dll_, name)));
    }

    HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv)
    {
        using Proc = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        return Export<Proc>("DllGetClassObject")(clsid, riid, ppv);
    }
    HRESULT CanUnloadNow() { return Export<HRESULT(STDAPICALLTYPE*)()>("DllCanUnloadNow")(); }
    HRESULT RegisterServer() { return Export<HRESULT(STDAPICALLTYPE*)()>("DllRegisterServer")(); }
    HRESULT UnregisterServer() { return Export<HRESULT(STDAPICALLTYPE*)()>("DllUnregisterServer")(); }
    HRESULT Install(BOOL install, const wchar_t* commandLine)
    {
        return Export<HRESULT(STDAPICALLTYPE*)(BOOL, PCWSTR)>("DllInstall")(install, commandLine);
    }

    // A new instance straight from the DLL's own factory, no registration needed.
    ComPtr<_clsRegistry> NewInstance()
    {
        ComPtr<IClassFactory> factory;
        EXPECT_HRESULT_SUCCEEDED(GetClassObject(CLSID_clsRegistry, IID_PPV_ARGS(&factory)));
        ComPtr<_clsRegistry> instance;
        if (factory) {
            EXPECT_HRESULT_SUCCEEDED(factory->CreateInstance(nullptr, IID_PPV_ARGS(&instance)));
        }
        return instance;
    }

    HMODULE dll_ = nullptr;
};

inline orvane::UniqueBstr Bstr(const std::wstring& text)
{
    return orvane::MakeBstr(text);
}
