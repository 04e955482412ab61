// A copy of Orvane.dll in a folder of its own beside the test program, removed again with
// the folder however the test ends; and its exports called through a path as given.
#pragma once

#include <windows.h>

#include <string>

class DllCopy {
public:
    explicit DllCopy(const std::wstring& folderName)
    {
        wchar_t program[MAX_PATH];
        std::wstring folder(program, GetModuleFileNameW(nullptr, program, MAX_PATH));
        folder.resize(folder.find_last_of(L'\\') + 1);
        const std::wstring source = folder + L"Orvane.dll";
        folder_ = folder + folderName;
        path_ = folder_ + L"\\Orvane.dll";
        CreateDirectoryW(folder_.c_str(), nullptr);
        copied_ = CopyFileW(source.c_str(), path_.c_str(), FALSE) != FALSE;
    }
    ~DllCopy()
    {
        DeleteFileW(path_.c_str());
        RemoveDirectoryW(folder_.c_str());
    }
    DllCopy(const DllCopy&) = delete;
    DllCopy& operator=(const DllCopy&) = delete;

    bool copied() const { return copied_; }
    const std::wstring& path() const { return path_; }
    std::wstring ShortPath() const
    {
        wchar_t shortPath[MAX_PATH] = {};
        return std::wstring(shortPath, GetShortPathNameW(path_.c_str(), shortPath, MAX_PATH));
    }

private:
    std::wstring folder_;
    std::wstring path_;
    bool copied_ = false;
};

// Loads the DLL by path (the spelling it then reports as its own), calls an export that
// takes no arguments and unloads it again.
inline HRESULT CallExport(const std::wstring& path, const char* name)
{
    HMODULE dll = LoadLibraryW(path.c_str());
    if (!dll)
        return HRESULT_FROM_WIN32(GetLastError());
    using Proc = HRESULT(STDAPICALLTYPE*)();
    const auto proc = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
    const HRESULT hr = proc ? proc() : E_NOTIMPL;
    FreeLibrary(dll);
    return hr;
}
