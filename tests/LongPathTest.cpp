// Orvane.dll loaded from a folder deeper than MAX_PATH: the type library inside it still
// loads, and registration names the DLL by a path that the type library loader reads.
#include "ServerTest.h"

#include <ocidl.h>

#include <vector>

namespace {

// A copy of the DLL beside the test program, in nested folders that take its path past
// MAX_PATH; removed again with the folders, however the test ends.
class DeepCopy {
public:
    DeepCopy()
    {
        wchar_t program[MAX_PATH];
        const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
        std::wstring folder(program, length);
        folder.resize(folder.find_last_of(L'\\'));
        source_ = folder + L"\\Orvane.dll";
        while (folder.size() <= MAX_PATH) {
            folder += L"\\a folder with a name long enough to need few of them";
            if (!CreateDirectoryW(Extended(folder).c_str(), nullptr) &&
                GetLastError() != ERROR_ALREADY_EXISTS)
                return;
            folders_.push_back(folder);
        }
        path_ = folder + L"\\Orvane.dll";
        copied_ = CopyFileW(source_.c_str(), Extended(path_).c_str(), FALSE) != FALSE;
    }
    ~DeepCopy()
    {
        DeleteFileW(Extended(path_).c_str());
        for (auto folder = folders_.rbegin(); folder != folders_.rend(); ++folder)
            RemoveDirectoryW(Extended(*folder).c_str());
    }
    DeepCopy(const DeepCopy&) = delete;
    DeepCopy& operator=(const DeepCopy&) = delete;

    bool copied() const { return copied_; }
    const std::wstring& path() const { return path_; }

private:
    // File operations take a path past MAX_PATH in its extended form.
    static std::wstring Extended(const std::wstring& path) { return L"\\\\?\\" + path; }

    std::wstring source_;
    std::wstring path_;
    std::vector<std::wstring> folders_;
    bool copied_ = false;
};

// The copy loaded, and unregistered before it goes, whatever the test did; COM lets go of it
// too, so that the file can be removed.
class LoadedCopy {
public:
    explicit LoadedCopy(const std::wstring& path) : dll_(LoadLibraryW(path.c_str())) {}
    ~LoadedCopy()
    {
        if (dll_) {
            Call("DllUnregisterServer");
            FreeLibrary(dll_);
        }
        CoFreeUnusedLibrariesEx(0, 0);
    }
    LoadedCopy(const LoadedCopy&) = delete;
    LoadedCopy& operator=(const LoadedCopy&) = delete;

    HMODULE get() const { return dll_; }
    HRESULT Call(const char* name)
    {
        using Proc = HRESULT(STDAPICALLTYPE*)();
        const auto proc = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(dll_, name)));
        return proc ? proc() : E_NOTIMPL;
    }

private:
    HMODULE dll_;
};

using LongPath = ComTest;

TEST_F(LongPath, TypeLibraryLoadsAndRegistrationNamesALoadablePath)
{
    DeepCopy copy;
    ASSERT_TRUE(copy.copied()) << GetLastError();
    ASSERT_GT(copy.path().size(), static_cast<size_t>(MAX_PATH));
    LoadedCopy dll(copy.path());
    ASSERT_NE(dll.get(), nullptr) << GetLastError();

    // Late binding's type information, from the long-named file.
    using GetClassObjectProc = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    const auto getClassObject = reinterpret_cast<GetClassObjectProc>(
        reinterpret_cast<void*>(GetProcAddress(dll.get(), "DllGetClassObject")));
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClassObject(CLSID_clsRegistry, IID_PPV_ARGS(&factory)), S_OK);
    ComPtr<_clsRegistry> probe;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&probe)), S_OK);
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(probe->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info), S_OK);
    ComPtr<IProvideClassInfo> classInfo;
    ASSERT_EQ(probe.As(&classInfo), S_OK);
    info.Reset();
    EXPECT_EQ(classInfo->GetClassInfo(&info), S_OK);

    // Registered, its type library is found through the registry (the script test creates
    // the class by ProgID).
    ASSERT_EQ(dll.Call("DllRegisterServer"), S_OK);
    BSTR registered = nullptr;
    ASSERT_EQ(QueryPathOfRegTypeLib(LIBID_Orvane, 1, 0, 0, &registered), S_OK);
    EXPECT_LT(SysStringLen(registered), static_cast<UINT>(MAX_PATH));
    SysFreeString(registered);
    ComPtr<ITypeLib> library;
    EXPECT_EQ(LoadRegTypeLib(LIBID_Orvane, 1, 0, 0, &library), S_OK);
    EXPECT_EQ(dll.Call("DllUnregisterServer"), S_OK);
}

} // namespace
