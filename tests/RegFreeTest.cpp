// Registration-free activation: with nothing registered, an activation context made from the
// component's manifest beside the DLL leads COM to the class, its ProgIDs, its type library
// and the marshaller of its interface; without the context none of them resolves.
#include "AnotherApartment.h"
#include "Identity.h"
#include "ServerTest.h"

#include <functional>
#include <vector>

namespace {

const wchar_t* const kProgIds[] = {L"" ORVANE_PROGID, L"" ORVANE_PROGID_VERSIONED};

// The OLE Automation marshaller, which the manifest names for the dual interface.
constexpr CLSID kAutomationMarshaller = {
    0x00020424, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// This program's folder: the build puts Orvane.dll and the component's manifest there too.
std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

bool TypeLibraryRegistered()
{
    BSTR path = nullptr;
    const HRESULT hr = QueryPathOfRegTypeLib(LIBID_Orvane, 1, 0, LOCALE_NEUTRAL, &path);
    SysFreeString(path);
    return SUCCEEDED(hr);
}

class RegFree : public ComTest {
protected:
    void SetUp() override
    {
        ComTest::SetUp();
        ComPtr<IUnknown> none;
        ASSERT_EQ(CoCreateInstance(CLSID_clsRegistry, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_PPV_ARGS(&none)),
                  REGDB_E_CLASSNOTREG)
            << "the class is registered; these tests need it unregistered";
        ASSERT_FALSE(TypeLibraryRegistered()) << "the type library is registered";

        folder_ = ProgramFolder();
        manifest_ = folder_ + L"" ORVANE_ASSEMBLY_NAME L".manifest";
        ACTCTXW request{};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_ASSEMBLY_DIRECTORY_VALID;
        request.lpSource = manifest_.c_str();
        request.lpAssemblyDirectory = folder_.c_str();
        context_ = CreateActCtxW(&request);
        ASSERT_NE(context_, INVALID_HANDLE_VALUE) << GetLastError();
        ASSERT_TRUE(Activate()) << GetLastError();
    }
    void TearDown() override
    {
        Deactivate();
        if (context_ != INVALID_HANDLE_VALUE)
            ReleaseActCtx(context_);
        ComTest::TearDown();
    }

    bool Activate() { return ActivateActCtx(context_, &cookie_) != FALSE; }
    void Deactivate()
    {
        if (cookie_)
            DeactivateActCtx(0, cookie_);
        cookie_ = 0;
    }

    static void ExpectAnswers(_clsRegistry* object)
    {
        for (const auto& key : kKnownKeys) {
            orvane::UniqueBstr path = Bstr(key.path);
            VARIANT_BOOL answer = 0x5A5A;
            EXPECT_EQ(object->KeyExist(path.get(), &answer), S_OK) << key.path;
            EXPECT_EQ(answer, key.answer) << key.path;
        }
    }

    std::wstring folder_, manifest_;
    HANDLE context_ = INVALID_HANDLE_VALUE;
    ULONG_PTR cookie_ = 0;
};

TEST_F(RegFree, OnlyTheContextResolvesTheClassItsProgIdsAndTypeLibrary)
{
    const struct {
        const char* what;
        HRESULT outside;
        std::function<HRESULT()> lookup;
    } lookups[] = {
        {"CoCreateInstance", REGDB_E_CLASSNOTREG,
         [] {
             ComPtr<_clsRegistry> object;
             return CoCreateInstance(CLSID_clsRegistry, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_PPV_ARGS(&object));
         }},
        {"CLSIDFromProgID", CO_E_CLASSSTRING,
         [] {
             CLSID clsid{};
             return CLSIDFromProgID(kProgIds[0], &clsid);
         }},
        {"CLSIDFromProgID versioned", CO_E_CLASSSTRING,
         [] {
             CLSID clsid{};
             return CLSIDFromProgID(kProgIds[1], &clsid);
         }},
        {"LoadRegTypeLib", TYPE_E_LIBNOTREGISTERED,
         [] {
             ComPtr<ITypeLib> library;
             return LoadRegTypeLib(LIBID_Orvane, 1, 0, LOCALE_NEUTRAL, &library);
         }},
    };
    // Active (from SetUp), then after deactivating, then active again.
    for (bool active : {true, false, true}) {
        if (active && !cookie_) {
            ASSERT_TRUE(Activate());
        }
        if (!active)
            Deactivate();
        for (const auto& lookup : lookups) {
            EXPECT_EQ(lookup.lookup(), active ? S_OK : lookup.outside)
                << lookup.what << (active ? " inside" : " outside") << " the context";
        }
    }
}

// An activation context may answer a ProgID with a CLSID of its own that leads to the class
// only while the context is active (Wine makes up a new one for each context), so the ProgIDs
// are judged by what they create.
TEST_F(RegFree, CreatedByClsidAndByEitherProgIdItAnswers)
{
    std::vector<CLSID> classes = {CLSID_clsRegistry};
    for (const wchar_t* progId : kProgIds) {
        CLSID clsid{};
        ASSERT_EQ(CLSIDFromProgID(progId, &clsid), S_OK) << progId;
        classes.push_back(clsid);
    }
    EXPECT_EQ(classes[1], classes[2]) << "both ProgIDs name one class";
    for (const CLSID& clsid : classes) {
        ComPtr<_clsRegistry> object;
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object)),
                  S_OK);
        ExpectAnswers(object.Get());
    }

    LPOLESTR progId = nullptr;
    ASSERT_EQ(ProgIDFromCLSID(CLSID_clsRegistry, &progId), S_OK);
    EXPECT_STREQ(progId, kProgIds[0]);
    CoTaskMemFree(progId);
}

TEST_F(RegFree, LateBindingByNameAnswersAsTheVtable)
{
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(kProgIds[0], &clsid), S_OK);
    ComPtr<IDispatch> object;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object)), S_OK);
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"KeyExist")};
    DISPID id = DISPID_UNKNOWN;
    ASSERT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(id, ORVANE_DISPID_KEYEXIST);
    for (const auto& key : kKnownKeys) {
        orvane::UniqueBstr path = Bstr(key.path);
        VARIANT argument{};
        argument.vt = VT_BSTR;
        argument.bstrVal = path.get();
        DISPPARAMS params{&argument, nullptr, 1, 0};
        VARIANT result{};
        EXPECT_EQ(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                 &result, nullptr, nullptr),
                  S_OK)
            << key.path;
        EXPECT_EQ(result.vt, VT_BOOL) << key.path;
        EXPECT_EQ(result.boolVal, key.answer) << key.path;
    }
}

TEST_F(RegFree, TypeLibraryIsTheOneInsideTheDllBesideTheManifest)
{
    BSTR path = nullptr;
    ASSERT_EQ(QueryPathOfRegTypeLib(LIBID_Orvane, 1, 0, LOCALE_NEUTRAL, &path), S_OK);
    EXPECT_EQ(lstrcmpiW(path, (folder_ + L"" ORVANE_FILE_NAME).c_str()), 0) << path;
    SysFreeString(path);

    ComPtr<ITypeLib> library;
    ASSERT_EQ(LoadRegTypeLib(LIBID_Orvane, 1, 0, LOCALE_NEUTRAL, &library), S_OK);
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->wMajorVerNum, ORVANE_VERSION_MAJOR);
    EXPECT_EQ(attributes->wMinorVerNum, ORVANE_VERSION_MINOR);
    library->ReleaseTLibAttr(attributes);
    for (const GUID& guid : {CLSID_clsRegistry, IID__clsRegistry}) {
        ComPtr<ITypeInfo> info;
        EXPECT_EQ(library->GetTypeInfoOfGuid(guid, &info), S_OK);
    }
    // A later version than the manifest states is not there.
    ComPtr<ITypeLib> later;
    EXPECT_EQ(LoadRegTypeLib(LIBID_Orvane, ORVANE_VERSION_MAJOR + 1, 0, LOCALE_NEUTRAL, &later),
              TYPE_E_LIBNOTREGISTERED);
}

// The object lives in this apartment; another apartment, with the same context active, calls
// it through a proxy that the manifest's marshaller entry provides.
TEST_F(RegFree, AnotherApartmentCallsThroughTheAutomationMarshaller)
{
    CLSID marshaller{};
    ASSERT_EQ(CoGetPSClsid(IID__clsRegistry, &marshaller), S_OK);
    EXPECT_EQ(marshaller, kAutomationMarshaller);

    ComPtr<_clsRegistry> object;
    ASSERT_EQ(CoCreateInstance(CLSID_clsRegistry, nullptr, CLSCTX_INPROC_SERVER,
                               IID_PPV_ARGS(&object)),
              S_OK);
    const RemoteAnswers remote = AskFromAnotherApartment(object.Get(), context_);
    object.Reset();

    // Wine's marshaller registers a type library it finds through an activation context, and
    // leaves it registered; take it away so that what follows sees nothing registered.
    Deactivate();
    if (TypeLibraryRegistered())
        UnRegisterTypeLib(LIBID_Orvane, ORVANE_VERSION_MAJOR, ORVANE_VERSION_MINOR, LOCALE_NEUTRAL,
                          sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    EXPECT_FALSE(TypeLibraryRegistered());

    ExpectKnownAnswers(remote);
}

} // namespace
