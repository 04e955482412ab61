// The type library inside Orvane.dll, loaded from the DLL's file: the library, the dual
// interface in both its views, KeyExist in each, and the coclass.
#include "Identity.h"
#include "ServerTest.h"

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace {

constexpr long long kPtr = sizeof(void*);
constexpr WORD kDualFlags = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE |
                            TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;
// stdole2, which holds IDispatch.
constexpr GUID kStdOle = {0x00020430, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

struct Row { const char* what; long long actual; long long expected; };
void ExpectRows(const std::vector<Row>& rows)
{
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.actual, row.expected);
    }
}

// Descriptions given back to their owner when the holder goes; empty on failure.
template <class T>
using Held = std::unique_ptr<T, std::function<void(T*)>>;
Held<TLIBATTR> LibAttr(const ComPtr<ITypeLib>& lib)
{
    TLIBATTR* attr = nullptr;
    EXPECT_EQ(lib->GetLibAttr(&attr), S_OK);
    return {attr, [lib](TLIBATTR* a) { lib->ReleaseTLibAttr(a); }};
}
Held<TYPEATTR> TypeAttr(const ComPtr<ITypeInfo>& info)
{
    TYPEATTR* attr = nullptr;
    EXPECT_EQ(info->GetTypeAttr(&attr), S_OK);
    return {attr, [info](TYPEATTR* a) { info->ReleaseTypeAttr(a); }};
}
Held<FUNCDESC> FuncDesc(const ComPtr<ITypeInfo>& info, UINT index)
{
    FUNCDESC* func = nullptr;
    EXPECT_EQ(info->GetFuncDesc(index, &func), S_OK);
    return {func, [info](FUNCDESC* f) { info->ReleaseFuncDesc(f); }};
}

std::wstring Text(const orvane::UniqueBstr& text) { return text ? text.get() : L"(null)"; }

// Name as given, no doc string, help file or help context; for a library or member also
// no help string (for a type some implementations answer its name there).
template <class Info>
void ExpectDocumentation(Info* info, MEMBERID id, const wchar_t* name, bool helpString = false)
{
    orvane::UniqueBstr got, doc, file, help, helpDll;
    DWORD context = 1, helpContext = 1;
    ASSERT_EQ(info->GetDocumentation(id, got.put(), doc.put(), &context, file.put()), S_OK);
    using Info2 = std::conditional_t<std::is_same_v<Info, ITypeLib>, ITypeLib2, ITypeInfo2>;
    ComPtr<Info2> info2;
    ASSERT_EQ(info->QueryInterface(IID_PPV_ARGS(&info2)), S_OK);
    ASSERT_EQ(info2->GetDocumentation2(id, 0, help.put(), &helpContext, helpDll.put()), S_OK);
    using Texts = std::vector<std::wstring>;
    EXPECT_EQ((Texts{Text(got), Text(doc), Text(file), Text(helpDll)}),
              (Texts{name, L"(null)", L"(null)", L"(null)"}));
    if (helpString) {
        EXPECT_EQ(Text(help), L"(null)");
    }
    ExpectRows({{"help context", context, 0}, {"help string context", helpContext, 0}});
}

struct TypeRow { TYPEKIND kind; WORD flags; int funcs; long long vtableSize; const GUID& guid; };
void ExpectTypeAttr(const ComPtr<ITypeInfo>& info, const TypeRow& expected)
{
    Held<TYPEATTR> attr = TypeAttr(info);
    ASSERT_TRUE(attr);
    EXPECT_EQ(attr->guid, expected.guid);
    ExpectRows({{"typekind", attr->typekind, expected.kind},
                {"flags", attr->wTypeFlags, expected.flags},
                {"major version", attr->wMajorVerNum, ORVANE_VERSION_MAJOR},
                {"minor version", attr->wMinorVerNum, ORVANE_VERSION_MINOR},
                {"functions", attr->cFuncs, expected.funcs},
                {"variables", attr->cVars, 0},
                {"implemented types", attr->cImplTypes, 1},
                {"vtable size", attr->cbSizeVft, expected.vtableSize},
                {"lcid", attr->lcid, 0}});
}

// The implemented (or inherited) type at `index`, whose flags must be `flags`.
ComPtr<ITypeInfo> ImplType(const ComPtr<ITypeInfo>& info, int index, int flags)
{
    HREFTYPE href = 0;
    int got = -1;
    ComPtr<ITypeInfo> impl;
    if (index >= 0) {
        EXPECT_EQ(info->GetImplTypeFlags(index, &got), S_OK);
        EXPECT_EQ(got, flags);
    }
    EXPECT_EQ(info->GetRefTypeOfImplType(index, &href), S_OK);
    EXPECT_EQ(info->GetRefTypeInfo(href, &impl), S_OK);
    return impl;
}

class TypeLibrary : public ServerDllTest {
protected:
    // The library, and its interface as it gives it (dispatch view) with the vtable view behind.
    void SetUp() override
    {
        ServerDllTest::SetUp();
        wchar_t path[MAX_PATH];
        ASSERT_NE(GetModuleFileNameW(dll_, path, MAX_PATH), 0u);
        ASSERT_EQ(LoadTypeLibEx(path, REGKIND_NONE, &lib_), S_OK);
        ASSERT_EQ(lib_->GetTypeInfoOfGuid(IID__clsRegistry, &dispatch_), S_OK);
        vtable_ = ImplType(dispatch_, -1, 0);
        ASSERT_TRUE(vtable_);
    }
    ComPtr<ITypeLib> lib_;
    ComPtr<ITypeInfo> dispatch_, vtable_;
};

TEST_F(TypeLibrary, Library)
{
    Held<TLIBATTR> attr = LibAttr(lib_);
    ASSERT_TRUE(attr);
    EXPECT_EQ(attr->guid, LIBID_Orvane);
    ExpectRows({{"lcid", attr->lcid, 0},
                {"syskind", attr->syskind, kPtr == 8 ? SYS_WIN64 : SYS_WIN32},
                {"major version", attr->wMajorVerNum, ORVANE_VERSION_MAJOR},
                {"minor version", attr->wMinorVerNum, ORVANE_VERSION_MINOR},
                // The loader adds FHASDISKIMAGE to a library read from a file.
                {"flags", attr->wLibFlags, LIBFLAG_FHASDISKIMAGE},
                {"type count", lib_->GetTypeInfoCount(), 2}});
    ExpectDocumentation(lib_.Get(), -1, L"" ORVANE_LIBRARY_NAME, true);
}

TEST_F(TypeLibrary, InterfaceInBothViews)
{
    // The dispatch view counts IUnknown's and IDispatch's methods and omits FOLEAUTOMATION.
    struct View { const char* name; ComPtr<ITypeInfo> info; TypeRow expected; };
    const View views[] = {
        {"dispatch", dispatch_,
         {TKIND_DISPATCH, kDualFlags & ~TYPEFLAG_FOLEAUTOMATION, 8, 7 * kPtr, IID__clsRegistry}},
        {"vtable", vtable_, {TKIND_INTERFACE, kDualFlags, 1, 8 * kPtr, IID__clsRegistry}}};
    for (const auto& view : views) {
        SCOPED_TRACE(view.name);
        ExpectTypeAttr(view.info, view.expected);
        ExpectDocumentation(view.info.Get(), MEMBERID_NIL, L"" ORVANE_INTERFACE_NAME);

        // Based on IDispatch from stdole2 2.0.
        ComPtr<ITypeInfo> base = ImplType(view.info, 0, 0);
        ComPtr<ITypeLib> baseLib;
        UINT index = 0;
        ASSERT_TRUE(base);
        Held<TYPEATTR> baseAttr = TypeAttr(base);
        EXPECT_TRUE(baseAttr && baseAttr->guid == IID_IDispatch);
        ASSERT_EQ(base->GetContainingTypeLib(&baseLib, &index), S_OK);
        Held<TLIBATTR> libAttr = LibAttr(baseLib);
        ASSERT_TRUE(libAttr);
        EXPECT_EQ(libAttr->guid, kStdOle);
        ExpectRows({{"base library major", libAttr->wMajorVerNum, 2},
                    {"base library minor", libAttr->wMinorVerNum, 0}});
    }
}

TEST_F(TypeLibrary, KeyExist)
{
    struct Param { VARTYPE vt, pointee; USHORT flags; };
    // Through dispatch the HRESULT and the retval parameter become the result.
    struct View {
        const char* name; ComPtr<ITypeInfo> info; UINT index;
        FUNCKIND kind; VARTYPE result; std::vector<Param> params;
    };
    const View views[] = {
        {"dispatch", dispatch_, 7, FUNC_DISPATCH, VT_BOOL, {{VT_BSTR, VT_EMPTY, PARAMFLAG_FIN}}},
        {"vtable", vtable_, 0, FUNC_PUREVIRTUAL, VT_HRESULT,
         {{VT_BSTR, VT_EMPTY, PARAMFLAG_FIN}, {VT_PTR, VT_BOOL, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL}}}};
    for (const auto& view : views) {
        SCOPED_TRACE(view.name);
        Held<FUNCDESC> func = FuncDesc(view.info, view.index);
        ASSERT_TRUE(func);
        // Compiled clients call it by this number.
        ExpectRows({{"memid", func->memid, 0x60030003},
                    {"funckind", func->funckind, view.kind},
                    {"invkind", func->invkind, INVOKE_FUNC},
                    {"callconv", func->callconv, CC_STDCALL},
                    {"parameters", func->cParams, static_cast<long long>(view.params.size())},
                    {"optional parameters", func->cParamsOpt, 0},
                    {"vtable offset", func->oVft, 7 * kPtr},
                    {"function flags", func->wFuncFlags, 0},
                    {"result", func->elemdescFunc.tdesc.vt, view.result}});
        for (size_t i = 0; i < view.params.size() && i < static_cast<size_t>(func->cParams); ++i) {
            SCOPED_TRACE(testing::Message() << "parameter " << i);
            const ELEMDESC& got = func->lprgelemdescParam[i];
            const Param& want = view.params[i];
            const VARTYPE pointee = got.tdesc.vt == VT_PTR ? got.tdesc.lptdesc->vt : VARTYPE{VT_EMPTY};
            ExpectRows({{"vt", got.tdesc.vt, want.vt}, {"pointee", pointee, want.pointee},
                        {"flags", got.paramdesc.wParamFlags, want.flags}});
        }
        ExpectDocumentation(view.info.Get(), ORVANE_DISPID_KEYEXIST, L"" ORVANE_METHOD_NAME, true);
    }

    // The retval parameter is unnamed.
    BSTR names[4] = {};
    UINT count = 0;
    ASSERT_EQ(vtable_->GetNames(ORVANE_DISPID_KEYEXIST, names, 4, &count), S_OK);
    std::vector<std::wstring> got;
    for (UINT i = 0; i < count; ++i)
        got.push_back(Text(orvane::UniqueBstr(names[i])));
    EXPECT_EQ(got, (std::vector<std::wstring>{L"" ORVANE_METHOD_NAME, L"" ORVANE_PARAM_NAME}));

    MEMBERID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"" ORVANE_METHOD_NAME);
    EXPECT_EQ(dispatch_->GetIDsOfNames(&name, 1, &id), S_OK);
    EXPECT_EQ(id, ORVANE_DISPID_KEYEXIST);
}

TEST_F(TypeLibrary, Coclass)
{
    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(lib_->GetTypeInfoOfGuid(CLSID_clsRegistry, &coclass), S_OK);
    ExpectTypeAttr(coclass, {TKIND_COCLASS, TYPEFLAG_FCANCREATE, 0, 0, CLSID_clsRegistry});
    ExpectDocumentation(coclass.Get(), MEMBERID_NIL, L"" ORVANE_CLASS_NAME);

    ComPtr<ITypeInfo> impl = ImplType(coclass, 0, IMPLTYPEFLAG_FDEFAULT);
    ASSERT_TRUE(impl);
    Held<TYPEATTR> implAttr = TypeAttr(impl);
    EXPECT_TRUE(implAttr && implAttr->guid == IID__clsRegistry);
    ExpectDocumentation(impl.Get(), MEMBERID_NIL, L"" ORVANE_INTERFACE_NAME);
}

} // namespace
