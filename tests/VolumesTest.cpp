// Copies of the DLL on file systems of their own, which tests/scripts/TwoVolumes.sh mounts
// below the folder ORVANE_VOLUMES names: a and b reached only through Z: (Wine gives both
// the volume serial 0, and each copy has the same file index), c and d also as the drives
// X: and Y: with serials of their own (the copies have one file index and one path from the
// volume's root), and link, a symbolic link to a. Unregistering one copy removes only the
// registration of that very file.
#include "DllCopy.h"
#include "RegistryRead.h"
#include "SameFile.h"
#include "ServerTest.h"

#include <cstdlib>

namespace {

const std::wstring kClassKey = L"Software\\Classes\\CLSID\\" + GuidText(CLSID_clsRegistry);

// The volume serial and the 64-bit file index.
std::wstring IndexOf(const std::wstring& path)
{
    const HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    const bool read = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return read ? std::to_wstring(info.dwVolumeSerialNumber) + L":" +
                      std::to_wstring(info.nFileIndexHigh) + L":" +
                      std::to_wstring(info.nFileIndexLow)
                : L"";
}

class Volumes : public ServerDllTest {};

TEST_F(Volumes, TellCopiesApartThatShareAFileIndex)
{
    const wchar_t* root = _wgetenv(L"ORVANE_VOLUMES");
    ASSERT_NE(root, nullptr) << "run by tests/scripts/TwoVolumes.sh";
    const std::wstring at = std::wstring(root) + L"\\";
    const std::wstring a = at + L"a\\Orvane.dll", b = at + L"b\\Orvane.dll";
    const std::wstring x = L"X:\\Orvane.dll", y = L"Y:\\Orvane.dll";
    // What the rows are about: the same index, and the same serial or another one.
    ASSERT_NE(IndexOf(a), L"");
    ASSERT_EQ(IndexOf(a), IndexOf(b));
    ASSERT_NE(IndexOf(x), IndexOf(y));
    ASSERT_EQ(IndexOf(x).substr(IndexOf(x).find(L':')), IndexOf(y).substr(IndexOf(y).find(L':')));
    const struct {
        const char* what;
        std::wstring registerBy, unregisterBy;
        bool removed;
    } rows[] = {
        {"two file systems below Z:", a, b, false},
        {"two drives with serials of their own", x, y, false},
        {"a second drive letter", at + L"c\\Orvane.dll", x, true},
        {"a linked folder", at + L"link\\Orvane.dll", a, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_EQ(CallExport(row.registerBy, "DllRegisterServer"), S_OK);
        EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kClassKey + L"\\InprocServer32", L""),
                  row.registerBy);
        EXPECT_EQ(CallExport(row.unregisterBy, "DllUnregisterServer"), S_OK);
        EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, kClassKey), !row.removed);
        EXPECT_EQ(CallExport(row.registerBy, "DllUnregisterServer"), S_OK);
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kClassKey));
    }
}

DWORD WINAPI NoFinalPath(HANDLE, LPWSTR, DWORD, DWORD)
{
    SetLastError(ERROR_NOT_SUPPORTED);
    return 0;
}

// The same files compared directly, also as on a file system that gives no final path: the
// volume serial and the file id then decide alone.
TEST(SameFileOnVolumes, ComparesVolumeFileIdAndFinalPath)
{
    const wchar_t* root = _wgetenv(L"ORVANE_VOLUMES");
    ASSERT_NE(root, nullptr) << "run by tests/scripts/TwoVolumes.sh";
    const std::wstring at = std::wstring(root) + L"\\";
    orvane::FinalPathName none{&NoFinalPath};
    const struct {
        const char* what;
        std::wstring first, second;
        bool same;
        bool finalPath = true;
    } rows[] = {
        {"two file systems below Z:", at + L"a\\Orvane.dll", at + L"b\\Orvane.dll", false},
        {"two drives", L"X:\\Orvane.dll", L"Y:\\Orvane.dll", false},
        {"a second drive letter", at + L"c\\Orvane.dll", L"x:\\ORVANE.DLL", true},
        {"a linked folder", at + L"link\\Orvane.dll", L"\\\\?\\" + at + L"a\\Orvane.dll", true},
        {"two drives, no final path", L"X:\\Orvane.dll", L"Y:\\Orvane.dll", false, false},
        {"a second drive letter, no final path", at + L"c\\Orvane.dll", L"X:\\Orvane.dll", true,
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        orvane::FinalPathNameSeam::Replace(row.finalPath ? nullptr : &none);
        bool same = !row.same;
        EXPECT_EQ(orvane::SameFile(row.first.c_str(), row.second.c_str(), &same), S_OK);
        EXPECT_EQ(same, row.same);
        orvane::FinalPathNameSeam::Replace(nullptr);
    }
}

} // namespace
