// DllRegisterServer and DllUnregisterServer, read back from the registry and through COM.
#include "DllCopy.h"
#include "RegistryRead.h"
#include "ServerTest.h"

#include <olectl.h>

namespace {

class Registration : public ServerDllTest {
protected:
    void SetUp() override
    {
        ServerDllTest::SetUp();
        wchar_t path[MAX_PATH];
        GetModuleFileNameW(dll_, path, MAX_PATH);
        path_ = path;
    }
    void TearDown() override
    {
        UnregisterServer();
        Install(FALSE, L"user");
        ServerDllTest::TearDown();
    }

    std::wstring path_;
};

TEST_F(Registration, WritesTheClassProgIdsAndTypeLibrary)
{
    // The standard marshaller of OLE Automation interfaces.
    const std::wstring kAutomationProxy = L"{00020424-0000-0000-C000-000000000046}";
    ASSERT_EQ(RegisterServer(), S_OK);
    const std::wstring clsid = GuidText(CLSID_clsRegistry);
    const std::wstring classKey = L"CLSID\\" + clsid;
    const struct {
        std::wstring key, name, data;
    } expected[] = {
        {classKey + L"\\InprocServer32", L"", path_},
        {classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {classKey + L"\\ProgID", L"", L"Orvane.clsRegistry"},
        {classKey + L"\\VersionIndependentProgID", L"", L"Orvane.clsRegistry"},
        {classKey + L"\\TypeLib", L"", GuidText(LIBID_Orvane)},
        {classKey + L"\\Version", L"", L"1.0"},
        {L"Orvane.clsRegistry\\CLSID", L"", clsid},
        {L"Orvane.clsRegistry\\CurVer", L"", L"Orvane.clsRegistry.1"},
        {L"Orvane.clsRegistry.1\\CLSID", L"", clsid},
        {L"Interface\\" + GuidText(IID__clsRegistry) + L"\\TypeLib", L"", GuidText(LIBID_Orvane)},
        {L"Interface\\" + GuidText(IID__clsRegistry) + L"\\ProxyStubClsid", L"", kAutomationProxy},
        {L"Interface\\" + GuidText(IID__clsRegistry) + L"\\ProxyStubClsid32", L"", kAutomationProxy},
        {L"TypeLib\\" + GuidText(LIBID_Orvane) + L"\\1.0\\HELPDIR", L"",
         path_.substr(0, path_.rfind(L'\\') + 1)},
    };
    for (const auto& entry : expected) {
        SCOPED_TRACE(testing::Message() << entry.key << " " << entry.name);
        EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, entry.key, entry.name), entry.data);
    }
    BSTR registered = nullptr;
    ASSERT_EQ(QueryPathOfRegTypeLib(LIBID_Orvane, 1, 0, 0, &registered), S_OK);
    EXPECT_EQ(lstrcmpiW(registered, path_.c_str()), 0);
    SysFreeString(registered);

    // What object browsers and scripts see when they map the class back to a name.
    LPOLESTR progId = nullptr;
    ASSERT_EQ(ProgIDFromCLSID(CLSID_clsRegistry, &progId), S_OK);
    EXPECT_STREQ(progId, L"Orvane.clsRegistry");
    CoTaskMemFree(progId);
}

TEST_F(Registration, ClientsCreateItOnlyWhileRegistered)
{
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(RegisterServer(), S_OK);
        ComPtr<_clsRegistry> byClsid;
        EXPECT_EQ(CoCreateInstance(CLSID_clsRegistry, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_PPV_ARGS(&byClsid)),
                  S_OK);
        for (const wchar_t* progId : {L"Orvane.clsRegistry", L"Orvane.clsRegistry.1"}) {
            CLSID clsid{};
            EXPECT_EQ(CLSIDFromProgID(progId, &clsid), S_OK) << progId;
            EXPECT_EQ(clsid, CLSID_clsRegistry);
        }
        VARIANT_BOOL exists = VARIANT_FALSE;
        orvane::UniqueBstr key = Bstr(L"HKEY_LOCAL_MACHINE\\SOFTWARE");
        EXPECT_EQ(byClsid->KeyExist(key.get(), &exists), S_OK);
        EXPECT_EQ(exists, VARIANT_TRUE);
        byClsid.Reset();

        ASSERT_EQ(UnregisterServer(), S_OK);
        ComPtr<IUnknown> none;
        EXPECT_EQ(CoCreateInstance(CLSID_clsRegistry, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_PPV_ARGS(&none)),
                  REGDB_E_CLASSNOTREG);
        CLSID clsid{};
        EXPECT_EQ(CLSIDFromProgID(L"Orvane.clsRegistry", &clsid), CO_E_CLASSSTRING);
        BSTR registered = nullptr;
        EXPECT_TRUE(FAILED(QueryPathOfRegTypeLib(LIBID_Orvane, 1, 0, 0, &registered)));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + GuidText(CLSID_clsRegistry)));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Orvane.clsRegistry"));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Orvane.clsRegistry.1"));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Interface\\" + GuidText(IID__clsRegistry)));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\" + GuidText(LIBID_Orvane)));
    }
}

// A DLL file without an extension loads only by its name with a trailing dot (without one
// the loader appends .dll): that is what its registration names, and clients create it.
TEST_F(Registration, AFileWithoutAnExtensionRegistersAPathThatLoads)
{
    wchar_t program[MAX_PATH];
    std::wstring folder(program, GetModuleFileNameW(nullptr, program, MAX_PATH));
    folder.resize(folder.rfind(L'\\'));
    folder += L"\\No extension";
    const std::wstring file = folder + L"\\Orvane";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(path_.c_str(), file.c_str(), FALSE));
    ASSERT_EQ(CallExport(file + L".", "DllRegisterServer"), S_OK);
    const std::wstring server =
        L"CLSID\\" + GuidText(CLSID_clsRegistry) + L"\\InprocServer32";
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, server, L""), file + L".");
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT,
                         L"TypeLib\\" + GuidText(LIBID_Orvane) +
                             (sizeof(void*) == 8 ? L"\\1.0\\0\\win64" : L"\\1.0\\0\\win32"),
                         L""),
              file + L".");
    {
        ComPtr<_clsRegistry> created;
        EXPECT_EQ(CoCreateInstance(CLSID_clsRegistry, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_PPV_ARGS(&created)),
                  S_OK);
    }
    CoFreeUnusedLibrariesEx(0, 0);
    EXPECT_EQ(CallExport(file + L".", "DllUnregisterServer"), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + GuidText(CLSID_clsRegistry)));
    DeleteFileW(file.c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST_F(Registration, UnregisteringRemovesOnlyWhatItWrote)
{
    EXPECT_EQ(UnregisterServer(), S_OK); // nothing registered
    ASSERT_EQ(RegisterServer(), S_OK);
    ASSERT_EQ(RegisterServer(), S_OK); // again, over itself
    const std::wstring classKey = L"CLSID\\" + GuidText(CLSID_clsRegistry);
    const wchar_t foreign[] = L"someone else's";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CLASSES_ROOT, classKey.c_str(), L"Note", REG_SZ, foreign,
                              sizeof foreign),
              ERROR_SUCCESS);

    EXPECT_EQ(UnregisterServer(), S_OK);
    EXPECT_EQ(UnregisterServer(), S_OK);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, classKey, L"Note"), foreign);
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, classKey, L""), std::nullopt);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
    RegDeleteTreeW(HKEY_CLASSES_ROOT, classKey.c_str());
}

TEST_F(Registration, PerUserStaysInTheUsersHiveAndLeadsToTheServer)
{
    ASSERT_EQ(UnregisterServer(), S_OK);
    // The first per-user registration makes the standard keys too; none may stay after it.
    for (const wchar_t* parent : {L"CLSID", L"Interface", L"TypeLib"}) {
        const std::wstring key = std::wstring(L"Software\\Classes\\") + parent;
        if (KeyContents(HKEY_CURRENT_USER, key).empty())
            RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key)) << "in use by someone else: " << key;
    }
    const auto before = KeyContents(HKEY_CURRENT_USER, L"Software\\Classes");
    ASSERT_EQ(Install(TRUE, L"user"), S_OK);

    const std::wstring clsid = GuidText(CLSID_clsRegistry);
    const std::wstring library = L"TypeLib\\" + GuidText(LIBID_Orvane);
    const std::wstring iface = L"Interface\\" + GuidText(IID__clsRegistry);
    const std::wstring ours[] = {L"CLSID\\" + clsid, L"Orvane.clsRegistry",
                                 L"Orvane.clsRegistry.1", library, iface};
    for (const std::wstring& key : ours) {
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Classes\\" + key)) << key;
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software\\Classes\\" + key)) << key;
    }

    // Follow the entries as COM would: ProgID to class to server, and library to file; and
    // back from the class to its ProgID (ProgIDFromCLSID reads the merged view, which under
    // Wine lacks the user's classes).
    const std::wstring user = L"Software\\Classes\\";
    const struct {
        std::wstring key, data;
    } names[] = {
        {L"Orvane.clsRegistry\\CLSID", clsid},
        {L"Orvane.clsRegistry\\CurVer", L"Orvane.clsRegistry.1"},
        {L"Orvane.clsRegistry.1\\CLSID", clsid},
        {L"CLSID\\" + clsid + L"\\ProgID", L"Orvane.clsRegistry"},
        {L"CLSID\\" + clsid + L"\\VersionIndependentProgID", L"Orvane.clsRegistry"},
    };
    for (const auto& name : names)
        EXPECT_EQ(ReadString(HKEY_CURRENT_USER, user + name.key, L""), name.data) << name.key;
    const auto server =
        ReadString(HKEY_CURRENT_USER, user + L"CLSID\\" + clsid + L"\\InprocServer32", L"");
    ASSERT_EQ(server, path_);
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, user + L"CLSID\\" + clsid + L"\\InprocServer32",
                         L"ThreadingModel"),
              L"Apartment");
    const auto libraryFile = ReadString(HKEY_CURRENT_USER,
                                        user + library + (sizeof(void*) == 8 ? L"\\1.0\\0\\win64"
                                                                             : L"\\1.0\\0\\win32"),
                                        L"");
    ASSERT_EQ(libraryFile, path_);
    ComPtr<ITypeLib> loaded;
    EXPECT_EQ(LoadTypeLibEx(libraryFile->c_str(), REGKIND_NONE, &loaded), S_OK);

    HMODULE again = LoadLibraryW(server->c_str());
    ASSERT_EQ(again, dll_);
    ComPtr<_clsRegistry> instance = NewInstance();
    orvane::UniqueBstr key = Bstr(L"HKEY_CURRENT_USER\\Software");
    VARIANT_BOOL exists = VARIANT_FALSE;
    EXPECT_EQ(instance->KeyExist(key.get(), &exists), S_OK);
    EXPECT_EQ(exists, VARIANT_TRUE);
    instance.Reset();
    FreeLibrary(again);

    ASSERT_EQ(Install(FALSE, L"user"), S_OK);
    EXPECT_EQ(Install(FALSE, L"user"), S_OK);
    EXPECT_EQ(KeyContents(HKEY_CURRENT_USER, L"Software\\Classes"), before);
}

TEST_F(Registration, InstallTakesUserOrNothing)
{
    const std::wstring server = L"Software\\Classes\\CLSID\\" + GuidText(CLSID_clsRegistry) +
                                L"\\InprocServer32";
    // No command line (regsvr32 /i) is machine-wide, as DllRegisterServer.
    for (const wchar_t* commandLine : {static_cast<const wchar_t*>(nullptr), L""}) {
        SCOPED_TRACE(commandLine ? "empty" : "null");
        ASSERT_EQ(Install(TRUE, commandLine), S_OK);
        EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, server, L""), path_);
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, server));
        ASSERT_EQ(Install(FALSE, commandLine), S_OK);
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, server));
        EXPECT_EQ(Install(FALSE, commandLine), S_OK);
    }
    for (const wchar_t* commandLine : {L"machine", L"user ", L"/user", L"users", L"u"}) {
        for (BOOL install : {TRUE, FALSE})
            EXPECT_EQ(Install(install, commandLine), E_INVALIDARG) << commandLine << " " << install;
    }
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, server));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, server));
    EXPECT_EQ(Install(TRUE, L"USER"), S_OK);
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, server, L""), path_);
    EXPECT_EQ(Install(FALSE, L"User"), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, server));
}

// A user hive without Software\Classes, as in a profile where nothing was registered yet:
// nothing to remove, and nothing made.
TEST_F(Registration, UnregisteringFromAHiveWithoutClassesSucceeds)
{
    const wchar_t kStandIn[] = L"Software\\Orvane hive without classes";
    orvane::UniqueHkey hive;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kStandIn, 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, hive.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, hive.get()), ERROR_SUCCESS);
    const HRESULT removed = Install(FALSE, L"user");
    const auto left = KeyContents(HKEY_CURRENT_USER, L"");
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    hive.reset();
    RegDeleteKeyW(HKEY_CURRENT_USER, kStandIn);
    EXPECT_EQ(removed, S_OK);
    EXPECT_TRUE(left.empty());
}

} // namespace
