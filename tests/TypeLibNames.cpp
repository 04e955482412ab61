// Prints the names a client binds to in a type library: "<library>.<class>" for each class,
// then "<method> <parameter>..." for each method of the class's default interface.
// TypeLibNames <file>. Exits 1 when the library cannot be read.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cwchar>

namespace {

void PrintMethods(ITypeInfo* info)
{
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr)))
        return;
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* func = nullptr;
        if (FAILED(info->GetFuncDesc(i, &func)))
            continue;
        BSTR names[16] = {};
        UINT count = 0;
        if (!(func->wFuncFlags & FUNCFLAG_FRESTRICTED) &&
            SUCCEEDED(info->GetNames(func->memid, names, 16, &count))) {
            for (UINT n = 0; n < count; ++n)
                std::wprintf(n ? L" %ls" : L"%ls", names[n]);
            std::wprintf(L"\n");
        }
        for (UINT n = 0; n < count; ++n)
            SysFreeString(names[n]);
        info->ReleaseFuncDesc(func);
    }
    info->ReleaseTypeAttr(attr);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    ITypeLib* lib = nullptr;
    if (argc != 2 || FAILED(LoadTypeLibEx(argv[1], REGKIND_NONE, &lib)))
        return 1;
    BSTR library = nullptr;
    lib->GetDocumentation(-1, &library, nullptr, nullptr, nullptr);
    for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
        TYPEKIND kind{};
        ITypeInfo* coclass = nullptr;
        if (FAILED(lib->GetTypeInfoType(i, &kind)) || kind != TKIND_COCLASS ||
            FAILED(lib->GetTypeInfo(i, &coclass)))
            continue;
        BSTR name = nullptr;
        coclass->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
        std::wprintf(L"%ls.%ls\n", library, name);
        SysFreeString(name);
        HREFTYPE ref = 0;
        ITypeInfo* face = nullptr;
        if (SUCCEEDED(coclass->GetRefTypeOfImplType(0, &ref)) &&
            SUCCEEDED(coclass->GetRefTypeInfo(ref, &face))) {
            PrintMethods(face);
            face->Release();
        }
        coclass->Release();
    }
    SysFreeString(library);
    lib->Release();
    return 0;
}
