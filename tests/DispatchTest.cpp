// Late binding: the class's IDispatch answering as the vtable does, and its type information
// from the type library inside the DLL.
#include "Identity.h"
#include "ServerTest.h"

#include <ocidl.h>

#include <functional>
#include <vector>

namespace {

using Dispatch = ServerDllTest;

const std::wstring kPaths[] = {
    L"HKEY_LOCAL_MACHINE\\SOFTWARE",
    L"HKEY_LOCAL_MACHINE",
    L"HKEY_CURRENT_USER\\Software",
    L"HKEY_LOCAL_MACHINE\\SOFTWARE\\NoSuchKey",
    L"HKEY_NOWHERE\\X",
    L"HKEY_local_machine\\SOFTWARE",
    L"HKEY_LOCAL_MACHINE/SOFTWARE",
    L"HKEY_USERS\\\\.DEFAULT",
    std::wstring(L"HKEY_LOCAL_MACHINE\\SOFTWARE\0NoSuchKey", 37),
    L"HKEY_LOCAL_MACHINE\\SOFTWARE\uFF3CMicrosoft",
};

// An argument object whose default property runs the test's code: a script's object.
class DefaultProperty final : public IDispatch {
public:
    explicit DefaultProperty(std::function<HRESULT(VARIANT*)> get) : get_(std::move(get)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = riid == IID_IUnknown || riid == IID_IDispatch ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    // Lives on the test's stack.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                     EXCEPINFO*, UINT*) override
    {
        return id == DISPID_VALUE && result ? get_(result) : DISP_E_MEMBERNOTFOUND;
    }

    VARIANT AsArgument()
    {
        VARIANT argument{};
        argument.vt = VT_DISPATCH;
        argument.pdispVal = this;
        return argument;
    }

private:
    std::function<HRESULT(VARIANT*)> get_;
};

// Fails every task-memory allocation while it lives; strings made by conversions come from
// there (the string cache is turned off, for good, so that none comes from a cache).
class NoTaskMemory final : public IMallocSpy {
public:
    NoTaskMemory()
    {
        // SetOaNoCache, which no header declares.
        using Proc = void(WINAPI*)();
        const auto noCache = reinterpret_cast<Proc>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"oleaut32.dll"), "SetOaNoCache")));
        if (noCache)
            noCache();
        registered_ = CoRegisterMallocSpy(this) == S_OK;
    }
    ~NoTaskMemory()
    {
        if (registered_)
            CoRevokeMallocSpy();
    }
    bool registered() const { return registered_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = riid == IID_IUnknown || riid == IID_IMallocSpy ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T) override { return 0; }
    void* STDMETHODCALLTYPE PostAlloc(void* actual) override { return actual; }
    void* STDMETHODCALLTYPE PreFree(void* request, BOOL) override { return request; }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* request, SIZE_T, void** newRequest, BOOL) override
    {
        *newRequest = request;
        return 0;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* actual, BOOL) override { return actual; }
    void* STDMETHODCALLTYPE PreGetSize(void* request, BOOL) override { return request; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T actual, BOOL) override { return actual; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* request, BOOL) override { return request; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}

private:
    bool registered_ = false;
};

// Invokes KeyExist by dispatch identifier with the given arguments (in reverse order, as
// IDispatch takes them).
HRESULT InvokeKeyExist(IDispatch* object, std::vector<VARIANT> args, VARIANT* result,
                       UINT* argErr = nullptr, DISPID dispid = ORVANE_DISPID_KEYEXIST,
                       WORD flags = DISPATCH_METHOD)
{
    DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
    EXCEPINFO exception{};
    return object->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result,
                          &exception, argErr);
}

TEST_F(Dispatch, NamesMatchWithoutRegardToCase)
{
    ComPtr<IDispatch> object = NewInstance();
    for (const wchar_t* name : {L"KeyExist", L"keyexist", L"KEYEXIST"}) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = 0;
        EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
        EXPECT_EQ(id, ORVANE_DISPID_KEYEXIST) << std::wstring(name);
    }
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"KeyExists")};
    DISPID id = 0;
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, unknown, 1, LOCALE_USER_DEFAULT, &id),
              DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
    EXPECT_EQ(object->GetIDsOfNames(IID_IDispatch, unknown, 1, LOCALE_USER_DEFAULT, &id),
              DISP_E_UNKNOWNINTERFACE);
}

TEST_F(Dispatch, TypeInfoIsTheInterfaces)
{
    ComPtr<IDispatch> object = NewInstance();
    UINT count = 0;
    EXPECT_EQ(object->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    // Each client releases what it was given; the object's own copy stays.
    for (int i = 0; i < 100; ++i) {
        ComPtr<ITypeInfo> given;
        ASSERT_EQ(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, &given), S_OK);
    }
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->guid, IID__clsRegistry);
    EXPECT_EQ(attributes->typekind, TKIND_DISPATCH);
    info->ReleaseTypeAttr(attributes);
    ComPtr<ITypeInfo> none;
    EXPECT_EQ(object->GetTypeInfo(1, LOCALE_USER_DEFAULT, &none), DISP_E_BADINDEX);
    EXPECT_EQ(none, nullptr);
}

TEST_F(Dispatch, ClassInfoIsTheCoclass)
{
    ComPtr<IProvideClassInfo> object;
    ASSERT_EQ(NewInstance().As(&object), S_OK);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(object->GetClassInfo(&info), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->guid, CLSID_clsRegistry);
    EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
    info->ReleaseTypeAttr(attributes);
    // Its default interface is the one IDispatch describes.
    HREFTYPE reference = 0;
    ASSERT_EQ(info->GetRefTypeOfImplType(0, &reference), S_OK);
    ComPtr<ITypeInfo> implemented;
    ASSERT_EQ(info->GetRefTypeInfo(reference, &implemented), S_OK);
    ASSERT_EQ(implemented->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->guid, IID__clsRegistry);
    implemented->ReleaseTypeAttr(attributes);
    EXPECT_EQ(object->GetClassInfo(nullptr), E_POINTER);
}

TEST_F(Dispatch, LateAndEarlyBindingAnswerAlike)
{
    ComPtr<_clsRegistry> object = NewInstance();
    for (const std::wstring& path : kPaths) {
        SCOPED_TRACE(testing::Message() << "path \"" << path << "\"");
        orvane::UniqueBstr key = Bstr(path);
        VARIANT_BOOL early = 0x5A5A;
        ASSERT_EQ(object->KeyExist(key.get(), &early), S_OK);

        // As a plain string, by reference (VBScript's variables), and as a variant by
        // reference (what script hosts pass for untyped variables).
        BSTR text = key.get();
        VARIANT inner{};
        inner.vt = VT_BSTR;
        inner.bstrVal = key.get();
        VARIANT forms[3]{};
        forms[0].vt = VT_BSTR;
        forms[0].bstrVal = key.get();
        forms[1].vt = VT_BSTR | VT_BYREF;
        forms[1].pbstrVal = &text;
        forms[2].vt = VT_VARIANT | VT_BYREF;
        forms[2].pvarVal = &inner;
        for (const VARIANT& form : forms) {
            VARIANT result{};
            EXPECT_EQ(InvokeKeyExist(object.Get(), {form}, &result), S_OK) << form.vt;
            EXPECT_EQ(result.vt, VT_BOOL);
            EXPECT_EQ(result.boolVal, early);
        }
        // Script hosts ask for a method call or a property get, whichever the member is.
        VARIANT result{};
        EXPECT_EQ(InvokeKeyExist(object.Get(), {forms[0]}, &result, nullptr,
                                 ORVANE_DISPID_KEYEXIST, DISPATCH_METHOD | DISPATCH_PROPERTYGET),
                  S_OK);
        EXPECT_EQ(result.boolVal, early);
        EXPECT_EQ(std::wstring(key.get(), SysStringLen(key.get())), path);
    }
}

TEST_F(Dispatch, BadCallsGetTheStandardErrors)
{
    ComPtr<IDispatch> object = NewInstance();
    orvane::UniqueBstr key = Bstr(L"HKEY_LOCAL_MACHINE\\SOFTWARE");
    VARIANT text{};
    text.vt = VT_BSTR;
    text.bstrVal = key.get();
    VARIANT result{};

    EXPECT_EQ(InvokeKeyExist(object.Get(), {}, &result), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(InvokeKeyExist(object.Get(), {text, text}, &result), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(InvokeKeyExist(object.Get(), {text}, &result, nullptr, 0x60030004),
              DISP_E_MEMBERNOTFOUND);

    VARIANT wrong{};
    wrong.vt = VT_DISPATCH;
    wrong.pdispVal = object.Get();
    UINT argErr = 99;
    EXPECT_EQ(InvokeKeyExist(object.Get(), {wrong}, &result, &argErr), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);

    DISPPARAMS params{&text, nullptr, 1, 0};
    EXPECT_EQ(object->Invoke(ORVANE_DISPID_KEYEXIST, IID_IDispatch, LOCALE_USER_DEFAULT,
                             DISPATCH_METHOD, &params, &result, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);

    // A conversion that ran out of memory is no fault of the argument's.
    VARIANT number{};
    number.vt = VT_I4;
    number.lVal = 5;
    argErr = 99;
    {
        NoTaskMemory noMemory;
        ASSERT_TRUE(noMemory.registered());
        EXPECT_EQ(InvokeKeyExist(object.Get(), {number}, &result, &argErr), E_OUTOFMEMORY);
    }
    EXPECT_EQ(argErr, 99u);

    // Without a place for the result the call still runs.
    EXPECT_EQ(InvokeKeyExist(object.Get(), {text}, nullptr), S_OK);
}

// The argument's default property may release the caller's last reference: the call
// still answers, and the DLL stays in use until it returns.
TEST_F(Dispatch, ObjectOutlivesAReleaseFromTheArgument)
{
    IDispatch* object = NewInstance().Detach();
    HRESULT unloadWhileCalled = E_UNEXPECTED;
    DefaultProperty key([&](VARIANT* value) {
        object->Release();
        unloadWhileCalled = CanUnloadNow();
        value->vt = VT_BSTR;
        value->bstrVal = SysAllocString(L"HKEY_LOCAL_MACHINE\\SOFTWARE");
        return S_OK;
    });
    VARIANT result{};
    EXPECT_EQ(InvokeKeyExist(object, {key.AsArgument()}, &result), S_OK);
    EXPECT_EQ(result.boolVal, VARIANT_TRUE);
    EXPECT_EQ(unloadWhileCalled, S_FALSE);
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

} // namespace
