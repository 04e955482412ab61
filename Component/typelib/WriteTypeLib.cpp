// Generates the component's type library and the raw interface id file.
// Usage: WriteTypeLib <out.tlb> <out.iid> <win32|win64>
// The 64-bit build writes both targets, so that no 32-bit process is needed; a 32-bit
// library's pointer-sized fields are then set for its target (Layout32.h).
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <wrl/client.h>
#include "Identity.h"
#include "Layout32.h"
#include "Orvane.h"

namespace {

using Microsoft::WRL::ComPtr;

// The creation interfaces take non-const strings but never modify them.
LPOLESTR Ole(const wchar_t* s) { return const_cast<LPOLESTR>(s); }

const wchar_t kLibraryName[]   = L"" ORVANE_LIBRARY_NAME;
const wchar_t kInterfaceName[] = L"" ORVANE_INTERFACE_NAME;
const wchar_t kClassName[]     = L"" ORVANE_CLASS_NAME;
const wchar_t kMethodName[]    = L"" ORVANE_METHOD_NAME;
const wchar_t kParamName[]     = L"" ORVANE_PARAM_NAME;

#define CHECK(step, expr)                                                       \
    do {                                                                        \
        HRESULT hr_ = (expr);                                                   \
        if (FAILED(hr_)) {                                                      \
            std::fprintf(stderr, "WriteTypeLib: %s failed: 0x%08lX\n", (step),  \
                         static_cast<unsigned long>(hr_));                      \
            return hr_;                                                         \
        }                                                                       \
    } while (0)

HRESULT LoadIDispatchInfo(ITypeInfo** dispatch)
{
    // By file, not by registration: the prefix's registrations differ between machines
    // that can and cannot run 32-bit programs.
    ComPtr<ITypeLib> stdole;
    CHECK("load stdole2.tlb", LoadTypeLibEx(L"stdole2.tlb", REGKIND_NONE, stdole.GetAddressOf()));
    CHECK("find IDispatch in stdole2", stdole->GetTypeInfoOfGuid(IID_IDispatch, dispatch));
    return S_OK;
}

HRESULT WriteInterface(ICreateTypeLib2* lib, ITypeInfo* dispatch, ITypeInfo** created)
{
    ComPtr<ICreateTypeInfo> info;
    CHECK("create interface", lib->CreateTypeInfo(Ole(kInterfaceName), TKIND_INTERFACE, info.GetAddressOf()));
    CHECK("interface guid", info->SetGuid(IID__clsRegistry));
    CHECK("interface version", info->SetVersion(ORVANE_VERSION_MAJOR, ORVANE_VERSION_MINOR));

    HREFTYPE base = 0;
    CHECK("reference IDispatch", info->AddRefTypeInfo(dispatch, &base));
    CHECK("inherit IDispatch", info->AddImplType(0, base));

    TYPEDESC boolType = {};
    boolType.vt = VT_BOOL;
    ELEMDESC params[2] = {};
    params[0].tdesc.vt = VT_BSTR;
    params[0].paramdesc.wParamFlags = PARAMFLAG_FIN;
    params[1].tdesc.vt = VT_PTR;
    params[1].tdesc.lptdesc = &boolType;
    params[1].paramdesc.wParamFlags = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;

    FUNCDESC func = {};
    func.memid = ORVANE_DISPID_KEYEXIST;
    func.lprgelemdescParam = params;
    func.funckind = FUNC_PUREVIRTUAL;
    func.invkind = INVOKE_FUNC;
    func.callconv = CC_STDCALL;
    func.cParams = 2;
    func.cParamsOpt = 0;
    // Left 0 so LayOut() places it after IDispatch's slots; Wine records an explicit
    // offset with an extra marker bit, which changes the file.
    func.oVft = 0;
    func.elemdescFunc.tdesc.vt = VT_HRESULT;
    CHECK("add KeyExist", info->AddFuncDesc(0, &func));

    // The retval parameter stays unnamed, as the compiled IDL has it.
    LPOLESTR names[] = {Ole(kMethodName), Ole(kParamName)};
    CHECK("name KeyExist", info->SetFuncAndParamNames(0, names, 2));

    // Wine does not derive FDISPATCHABLE from the IDispatch base; set it explicitly.
    CHECK("interface flags", info->SetTypeFlags(TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL |
                                                TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION |
                                                TYPEFLAG_FDISPATCHABLE));
    CHECK("lay out interface", info->LayOut());
    CHECK("interface as ITypeInfo", info->QueryInterface(IID_ITypeInfo, reinterpret_cast<void**>(created)));
    return S_OK;
}

HRESULT WriteCoclass(ICreateTypeLib2* lib, ITypeInfo* iface)
{
    ComPtr<ICreateTypeInfo> info;
    CHECK("create coclass", lib->CreateTypeInfo(Ole(kClassName), TKIND_COCLASS, info.GetAddressOf()));
    CHECK("coclass guid", info->SetGuid(CLSID_clsRegistry));
    CHECK("coclass version", info->SetVersion(ORVANE_VERSION_MAJOR, ORVANE_VERSION_MINOR));

    HREFTYPE ref = 0;
    CHECK("reference interface", info->AddRefTypeInfo(iface, &ref));
    CHECK("implement interface", info->AddImplType(0, ref));
    CHECK("default interface", info->SetImplTypeFlags(0, IMPLTYPEFLAG_FDEFAULT));
    CHECK("coclass flags", info->SetTypeFlags(TYPEFLAG_FCANCREATE));
    CHECK("lay out coclass", info->LayOut());
    // LayOut() may adjust the flags on some versions; restore the intended set.
    CHECK("coclass flags after layout", info->SetTypeFlags(TYPEFLAG_FCANCREATE));
    return S_OK;
}

HRESULT WriteTypeLibrary(const std::wstring& path, SYSKIND target)
{
    ComPtr<ITypeInfo> dispatch;
    HRESULT hr = LoadIDispatchInfo(dispatch.GetAddressOf());
    if (FAILED(hr))
        return hr;

    ComPtr<ICreateTypeLib2> lib;
    CHECK("CreateTypeLib2", CreateTypeLib2(target, path.c_str(), lib.GetAddressOf()));
    CHECK("library guid", lib->SetGuid(LIBID_Orvane));
    CHECK("library name", lib->SetName(Ole(kLibraryName)));
    CHECK("library version", lib->SetVersion(ORVANE_VERSION_MAJOR, ORVANE_VERSION_MINOR));
    CHECK("library lcid", lib->SetLcid(0));
    CHECK("library flags", lib->SetLibFlags(0));

    ComPtr<ITypeInfo> iface;
    hr = WriteInterface(lib.Get(), dispatch.Get(), iface.GetAddressOf());
    if (FAILED(hr) || FAILED(hr = WriteCoclass(lib.Get(), iface.Get())))
        return hr;
    CHECK("SaveAllChanges", lib->SaveAllChanges());
    lib.Reset();
    if (target == SYS_WIN32 && sizeof(void*) == 8) {
        TYPEATTR* attr = nullptr;
        CHECK("IDispatch's layout", dispatch->GetTypeAttr(&attr));
        const Layout32 layout = {static_cast<WORD>(attr->cbSizeVft / sizeof(void*)), kKeyExistFuncDescSize32};
        dispatch->ReleaseTypeAttr(attr);
        CHECK("32-bit layout", SetLayout32(path.c_str(), layout));
    }
    return S_OK;
}

// Length prefix (16) followed by the GUID in its 16-byte little-endian layout.
HRESULT WriteIidFile(const char* path, const GUID& id)
{
    unsigned char bytes[20] = {16, 0, 0, 0};
    for (int i = 0; i < 4; ++i)
        bytes[4 + i] = static_cast<unsigned char>(id.Data1 >> (8 * i));
    for (int i = 0; i < 2; ++i) {
        bytes[8 + i] = static_cast<unsigned char>(id.Data2 >> (8 * i));
        bytes[10 + i] = static_cast<unsigned char>(id.Data3 >> (8 * i));
    }
    std::memcpy(bytes + 12, id.Data4, 8);

    FILE* f = std::fopen(path, "wb");
    bool ok = f && std::fwrite(bytes, 1, sizeof bytes, f) == sizeof bytes;
    if (f && std::fclose(f) != 0)
        ok = false;
    if (!ok)
        std::fprintf(stderr, "WriteTypeLib: cannot write %s\n", path);
    return ok ? S_OK : E_FAIL;
}

HRESULT Generate(const std::wstring& tlbPath, const char* iidPath, SYSKIND target)
{
    CHECK("CoInitialize", CoInitialize(nullptr));
    const HRESULT hr = WriteTypeLibrary(tlbPath, target);
    CoUninitialize();
    return SUCCEEDED(hr) ? WriteIidFile(iidPath, IID__clsRegistry) : hr;
}

std::wstring Widen(const char* s)
{
    const int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    std::wstring w(n > 0 ? static_cast<size_t>(n) : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, s, -1, &w[0], n);
    w.resize(w.size() - 1);
    return w;
}

}  // namespace

int main(int argc, char** argv)
{
    SYSKIND target = SYS_WIN32;
    if (argc == 4 && std::strcmp(argv[3], "win64") == 0)
        target = SYS_WIN64;
    else if (argc != 4 || std::strcmp(argv[3], "win32") != 0) {
        std::fprintf(stderr, "usage: WriteTypeLib <out.tlb> <out.iid> <win32|win64>\n");
        return 2;
    }

    const std::wstring tlbPath = Widen(argv[1]);
    if (FAILED(Generate(tlbPath, argv[2], target))) {
        DeleteFileW(tlbPath.c_str());
        std::remove(argv[2]);
        return 1;
    }
    return 0;
}
