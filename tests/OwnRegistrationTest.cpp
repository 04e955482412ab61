// Unregistering through the DLL's exports removes only what its registration wrote, in the
// machine's classes and in the user's alike.
#include "DeniedAccess.h"
#include "DllCopy.h"
#include "ProcessMemory.h"
#include "RegistryRead.h"
#include "ServerTest.h"

#include <olectl.h>

#include <functional>
#include <optional>

namespace {

const std::wstring kClasses = L"Software\\Classes\\";
const std::wstring kClassKey = kClasses + L"CLSID\\" + GuidText(CLSID_clsRegistry);
const std::wstring kServerKey = kClassKey + L"\\InprocServer32";
const std::wstring kProgId = kClasses + L"Orvane.clsRegistry";
const std::wstring kShared[] = {kProgId, kClasses + L"Orvane.clsRegistry.1",
                                kClasses + L"TypeLib\\" + GuidText(LIBID_Orvane)};
const std::wstring kInterfaceKey = kClasses + L"Interface\\" + GuidText(IID__clsRegistry);
// The registry view of the other architecture's build (on a 32-bit system, our own).
constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

class OwnRegistration : public ServerDllTest {
protected:
    struct Scope {
        const char* name;
        HKEY hive;
        std::function<HRESULT()> registerIt, unregisterIt;
    };

    void TearDown() override
    {
        // Whatever a failed test left, of ours or of the foreign entries it made.
        for (const Scope& scope : Scopes()) {
            for (const std::wstring& key : kShared)
                RegDeleteTreeW(scope.hive, key.c_str());
            RegDeleteTreeW(scope.hive, kClassKey.c_str());
            RegDeleteTreeW(scope.hive, kInterfaceKey.c_str());
        }
        DeleteOtherViewsClass();
        ServerDllTest::TearDown();
    }

    std::vector<Scope> Scopes()
    {
        return {
            {"machine", HKEY_LOCAL_MACHINE, [this] { return RegisterServer(); },
             [this] { return UnregisterServer(); }},
            {"user", HKEY_CURRENT_USER, [this] { return Install(TRUE, L"user"); },
             [this] { return Install(FALSE, L"user"); }},
        };
    }

    static void DeleteOtherViewsClass()
    {
        orvane::UniqueHkey classes;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kClasses + L"CLSID").c_str(), 0,
                          KEY_ALL_ACCESS | kOtherView, classes.put()) == ERROR_SUCCESS)
            RegDeleteTreeW(classes.get(), GuidText(CLSID_clsRegistry).c_str());
    }

    static void Set(HKEY hive, const std::wstring& key, const wchar_t* name,
                    const std::wstring& data)
    {
        ASSERT_EQ(RegSetKeyValueW(hive, key.c_str(), name, REG_SZ, data.c_str(),
                                  static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
};

// A later version has taken the name: its ProgID leads to its own class.
TEST_F(OwnRegistration, LeavesAProgIdThatLeadsElsewhere)
{
    const std::wstring later = L"{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";
    for (const Scope& scope : Scopes()) {
        SCOPED_TRACE(scope.name);
        ASSERT_EQ(scope.registerIt(), S_OK);
        Set(scope.hive, kProgId + L"\\CLSID", L"", later);
        Set(scope.hive, kProgId + L"\\CurVer", L"", L"Orvane.clsRegistry.2");

        EXPECT_EQ(scope.unregisterIt(), S_OK);
        EXPECT_EQ(ReadString(scope.hive, kProgId, L""), L"clsRegistry");
        EXPECT_EQ(ReadString(scope.hive, kProgId + L"\\CLSID", L""), later);
        EXPECT_EQ(ReadString(scope.hive, kProgId + L"\\CurVer", L""), L"Orvane.clsRegistry.2");
        EXPECT_FALSE(KeyExists(scope.hive, kClasses + L"Orvane.clsRegistry.1"));
        EXPECT_FALSE(KeyExists(scope.hive, kClassKey));
        RegDeleteTreeW(scope.hive, kProgId.c_str());
    }
}

// Someone else's value keeps our server key alive; with no other view serving the class
// (a 32-bit system, or nothing registered by the other build), the shared entries go.
TEST_F(OwnRegistration, ForeignValueInTheServerKeyStaysAndSharedEntriesGo)
{
    for (const Scope& scope : Scopes()) {
        SCOPED_TRACE(scope.name);
        ASSERT_EQ(scope.registerIt(), S_OK);
        Set(scope.hive, kServerKey, L"Note", L"someone else's");

        EXPECT_EQ(scope.unregisterIt(), S_OK);
        EXPECT_EQ(ReadString(scope.hive, kServerKey, L"Note"), L"someone else's");
        EXPECT_EQ(ReadString(scope.hive, kServerKey, L""), std::nullopt);
        EXPECT_EQ(ReadString(scope.hive, kServerKey, L"ThreadingModel"), std::nullopt);
        for (const std::wstring& key : kShared)
            EXPECT_FALSE(KeyExists(scope.hive, key)) << key;
        RegDeleteTreeW(scope.hive, kClassKey.c_str());
    }
}

// Registered from another folder since, or by a value that only starts with our path: the
// class is someone else's, and stays whole.
TEST_F(OwnRegistration, LeavesTheClassWhileItNamesAnotherFile)
{
    wchar_t own[MAX_PATH];
    const std::wstring ownPath(own, GetModuleFileNameW(dll_, own, MAX_PATH));
    const struct {
        const char* what;
        std::wstring path;
    } others[] = {{"another file", L"C:\\Elsewhere\\Orvane.dll"},
                  {"our path, U+0000 and more", ownPath + L'\0' + L"x"}};
    for (const auto& [what, other] : others) {
        for (const Scope& scope : Scopes()) {
            SCOPED_TRACE(testing::Message() << scope.name << ": " << what);
            ASSERT_EQ(scope.registerIt(), S_OK);
            Set(scope.hive, kServerKey, L"", other);

            EXPECT_EQ(scope.unregisterIt(), S_OK);
            EXPECT_EQ(ReadString(scope.hive, kServerKey, L""), other);
            EXPECT_EQ(ReadString(scope.hive, kServerKey, L"ThreadingModel"), L"Apartment");
            EXPECT_EQ(ReadString(scope.hive, kClassKey + L"\\ProgID", L""),
                      L"Orvane.clsRegistry");
            for (const std::wstring& key : kShared)
                EXPECT_TRUE(KeyExists(scope.hive, key)) << key;

            // Once no file serves the class, ours removes the shared entries too.
            ASSERT_EQ(RegDeleteKeyValueW(scope.hive, kServerKey.c_str(), L""), ERROR_SUCCESS);
            EXPECT_EQ(scope.unregisterIt(), S_OK);
            for (const std::wstring& key : kShared)
                EXPECT_FALSE(KeyExists(scope.hive, key)) << key;
            RegDeleteTreeW(scope.hive, kClassKey.c_str());
        }
    }
}

// A standard user may not set values on the machine's classes root: unregistering writes
// only below it, so it succeeds with nothing registered and removes a registration there is.
TEST_F(OwnRegistration, NeedsNoWriteAccessToTheClassesRoot)
{
    for (const Scope& scope : Scopes()) {
        for (bool registered : {false, true}) {
            SCOPED_TRACE(testing::Message() << scope.name << (registered ? ", registered" : ""));
            if (registered) {
                ASSERT_EQ(scope.registerIt(), S_OK);
            }
            orvane::UniqueHkey classes; // a user's may not be there yet
            ASSERT_EQ(RegCreateKeyExW(scope.hive, L"Software\\Classes", 0, nullptr, 0, KEY_READ,
                                      nullptr, classes.put(), nullptr),
                      ERROR_SUCCESS);
            {
                DeniedAccess denial(scope.hive, L"Software\\Classes", KEY_SET_VALUE);
                ASSERT_TRUE(denial.ok());
                EXPECT_EQ(scope.unregisterIt(), S_OK);
            }
            EXPECT_FALSE(KeyExists(scope.hive, kClassKey));
            for (const std::wstring& key : kShared)
                EXPECT_FALSE(KeyExists(scope.hive, key)) << key;
        }
    }
}

// Our entries in the machine's classes: each key's path, and each value's with its data.
std::vector<std::wstring> MachineEntries()
{
    std::vector<std::wstring> lines;
    for (const std::wstring& root : {kClassKey, kInterfaceKey, kShared[0], kShared[1], kShared[2]}) {
        if (KeyExists(HKEY_LOCAL_MACHINE, root))
            lines.push_back(root);
        const auto below = KeyContents(HKEY_LOCAL_MACHINE, root, 0, root);
        lines.insert(lines.end(), below.begin(), below.end());
    }
    return lines;
}

// A registration that fails part way (a key it writes denies it) leaves the registration that
// was there before exactly as it was, this file's or another folder's: clients still create
// the class through it.
TEST_F(OwnRegistration, AFailedRegistrationLeavesTheEarlierOneAsItWas)
{
    DllCopy copy(L"Orvane Earlier Folder");
    ASSERT_TRUE(copy.copied());
    wchar_t own[MAX_PATH];
    GetModuleFileNameW(dll_, own, MAX_PATH);
    for (const std::wstring& earlier : {std::wstring(own), copy.path()}) {
        SCOPED_TRACE(testing::Message() << "registered before: " << earlier);
        ASSERT_EQ(CallExport(earlier, "DllRegisterServer"), S_OK);
        // A value of another type than ours, as some installers write it.
        const std::wstring helpKey = kShared[2] + L"\\1.0\\HELPDIR";
        const std::wstring folder = ReadString(HKEY_LOCAL_MACHINE, helpKey, L"").value_or(L"");
        ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, helpKey.c_str(), L"", REG_EXPAND_SZ,
                                  folder.c_str(),
                                  static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
        const std::vector<std::wstring> before = MachineEntries();
        for (const std::wstring& key : before) {
            if (key.find(L'|') != std::wstring::npos)
                continue; // a value
            SCOPED_TRACE(testing::Message() << "denied: " << key);
            {
                DeniedAccess denial(HKEY_LOCAL_MACHINE, key, KEY_SET_VALUE);
                ASSERT_TRUE(denial.ok());
                // The type library's keys fail as the type library, the rest as the class.
                EXPECT_EQ(RegisterServer(), key.starts_with(kShared[2]) ? SELFREG_E_TYPELIB
                                                                        : SELFREG_E_CLASS);
            }
            EXPECT_EQ(MachineEntries(), before);
            CLSID clsid{};
            EXPECT_EQ(CLSIDFromProgID(L"Orvane.clsRegistry", &clsid), S_OK);
            ComPtr<IUnknown> object;
            EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object)),
                      S_OK);
        }
        EXPECT_EQ(CallExport(earlier, "DllUnregisterServer"), S_OK);
        CoFreeUnusedLibrariesEx(0, 0);
    }
}

// Installers and administrators mix a file's long and short (8.3) names: unregistering by
// one removes a registration made by the other. Another file's registration stays, also when
// its path is relative (COM finds a bare name through the DLL search path), whatever folder
// the unregistering program runs in.
TEST_F(OwnRegistration, RecognisesItsFileByAnySpelling)
{
    DllCopy copy(L"Orvane Spelling Test");
    ASSERT_TRUE(copy.copied());
    const std::wstring shortPath = copy.ShortPath();
    ASSERT_FALSE(shortPath.empty());
    ASSERT_NE(shortPath, copy.path());
    wchar_t own[MAX_PATH];
    GetModuleFileNameW(dll_, own, MAX_PATH);
    const std::wstring folder = copy.path().substr(0, copy.path().rfind(L'\\'));
    const std::wstring noDrive = copy.path().substr(2); // "\...", on the current drive
    std::wstring upper = copy.path();
    CharUpperW(upper.data());
    wchar_t current[MAX_PATH];
    ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, current), 0u);
    const struct {
        const char* what;
        std::wstring registerBy, unregisterBy;
        bool removed;
        std::wstring registeredAs{}; // written over the registered path
        std::wstring unregisterIn{}; // the current folder while unregistering
    } rows[] = {
        {"short, then long", shortPath, copy.path(), true},
        {"long, then short", copy.path(), shortPath, true},
        {"another file", copy.path(), own, false},
        {"a bare name", own, copy.path(), false, L"Orvane.dll", folder},
        {"relative to the folder", own, copy.path(), false, L".\\Orvane.dll", folder},
        {"no drive", own, copy.path(), false, noDrive, folder},
        {"a drive and no root", own, copy.path(), false, copy.path().substr(0, 2) + L"Orvane.dll",
         folder},
        {"another case", copy.path(), copy.path(), true, upper},
        {"the \\\\?\\ form", copy.path(), copy.path(), true, L"\\\\?\\" + copy.path()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_EQ(CallExport(row.registerBy, "DllRegisterServer"), S_OK);
        EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kServerKey, L""), row.registerBy);
        if (!row.registeredAs.empty())
            Set(HKEY_LOCAL_MACHINE, kServerKey, L"", row.registeredAs);
        if (!row.unregisterIn.empty()) {
            ASSERT_TRUE(SetCurrentDirectoryW(row.unregisterIn.c_str()));
        }
        const DWORD handles = HandleCount();
        EXPECT_EQ(CallExport(row.unregisterBy, "DllUnregisterServer"), S_OK);
        EXPECT_EQ(HandleCount(), handles) << "the files compared are left open";
        SetCurrentDirectoryW(current);
        EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, kClassKey), !row.removed);
        for (const std::wstring& key : kShared)
            EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, key), !row.removed) << key;
        Set(HKEY_LOCAL_MACHINE, kServerKey, L"", row.registerBy);
        CallExport(row.registerBy, "DllUnregisterServer");
    }
}

// The other architecture's build serves the class in its registry view, or may (its server
// key cannot be read): the entries both views share stay for it.
TEST_F(OwnRegistration, SharedEntriesStayWhileTheOtherViewServesTheClass)
{
    BOOL wow64 = FALSE;
    if (sizeof(void*) == 4 && !(IsWow64Process(GetCurrentProcess(), &wow64) && wow64))
        GTEST_SKIP() << "a 32-bit system has a single registry view";
    for (bool readable : {true, false}) {
        SCOPED_TRACE(readable ? "another file" : "unreadable");
        ASSERT_EQ(RegisterServer(), S_OK);
        orvane::UniqueHkey server;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kServerKey.c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE | kOtherView, nullptr, server.put(), nullptr),
                  ERROR_SUCCESS);
        const wchar_t other[] = L"C:\\Program Files (x86)\\Orvane\\Orvane.dll";
        ASSERT_EQ(RegSetValueExW(server.get(), L"", 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(other), sizeof other),
                  ERROR_SUCCESS);
        std::optional<DeniedAccess> denial;
        if (!readable) {
            denial.emplace(HKEY_LOCAL_MACHINE, kServerKey, KEY_QUERY_VALUE, kOtherView);
            ASSERT_TRUE(denial->ok());
        }

        EXPECT_EQ(UnregisterServer(), S_OK);
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kClassKey));
        for (const std::wstring& key : kShared)
            EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, key)) << key;
        denial.reset();
        // The control: once the other view has no class either, they go.
        DeleteOtherViewsClass();
        EXPECT_EQ(UnregisterServer(), S_OK);
        for (const std::wstring& key : kShared)
            EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key)) << key;
    }
}

} // namespace
