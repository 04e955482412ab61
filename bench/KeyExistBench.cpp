// Times KeyExist against the raw registry calls it wraps, the ways clients reach it, and the
// least a late-bound call can cost. Prints median nanoseconds per call over alternating
// rounds, each ratio to its floor, and the targets those ratios are held to.
#include "Handles.h"
#include "Identity.h"
#include "Measure.h"
#include "MinimalDispatch.h"
#include "Orvane.h"
#include "RegistryAccess.h"
#include "clsRegistry.h"

#include <wrl/client.h>

#include <cstdio>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

constexpr int kWarmUp = 2000;
constexpr int kRounds = 41;
constexpr int kCallsPerRound = 500;
// What script hosts pass for a method call.
constexpr WORD kScriptFlags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

ComPtr<_clsRegistry> LoadProbe(HMODULE& dll)
{
    dll = LoadLibraryW(L"Orvane.dll");
    if (!dll)
        return nullptr;
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
    ComPtr<IClassFactory> factory;
    ComPtr<_clsRegistry> probe;
    if (!get || FAILED(get(CLSID_clsRegistry, IID_PPV_ARGS(&factory))) ||
        FAILED(factory->CreateInstance(nullptr, IID_PPV_ARGS(&probe))))
        return nullptr;
    return probe;
}

// The interface's vtable view from the DLL's own type library: what the generic
// DispGetIDsOfNames/DispInvoke path works from.
ComPtr<ITypeInfo> VtableView(HMODULE dll)
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(dll, path, MAX_PATH);
    ComPtr<ITypeLib> library;
    ComPtr<ITypeInfo> dispatch, vtable;
    HREFTYPE ref = 0;
    if (FAILED(LoadTypeLibEx(path, REGKIND_NONE, &library)) ||
        FAILED(library->GetTypeInfoOfGuid(IID__clsRegistry, &dispatch)) ||
        FAILED(dispatch->GetRefTypeOfImplType(-1, &ref)) ||
        FAILED(dispatch->GetRefTypeInfo(ref, &vtable)))
        return nullptr;
    return vtable;
}

// A registry that answers at once: the probe's own work, without the registry's.
LONG WINAPI OpenNothing(HKEY, LPCSTR, DWORD, REGSAM, PHKEY) { return ERROR_FILE_NOT_FOUND; }
orvane::RegOpenKeyExAProc FindOpenNothing() { return &OpenNothing; }
LONG WINAPI CloseNothing(HKEY) { return ERROR_SUCCESS; }

// A ratio and the limit it is held to; a drift is the change from an earlier run's ratio,
// held to at most the limit above it (below is faster, and fine).
struct Target {
    std::string what;
    double value;
    double limit;
    bool drift = false;
};
std::vector<Target> targets;

void PrintRows(const char* label, const std::vector<Contender>& contenders, const Contender& floor)
{
    for (const Contender& c : contenders)
        std::printf("%-14s %-30s %10.0f %9.3fx\n", label, c.name, Median(c.rounds),
                    RatioMedian(c, floor));
}

} // namespace

int main()
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HMODULE dll = nullptr;
    ComPtr<_clsRegistry> probe = LoadProbe(dll);
    ComPtr<ITypeInfo> vtableView = probe ? VtableView(dll) : nullptr;
    if (!probe || !vtableView) {
        std::fprintf(stderr, "cannot load Orvane.dll and its type library from the program's folder\n");
        return 1;
    }
    MinimalDispatch minimal;

    struct Key {
        const char* label;
        const wchar_t* path;
        const char* subkey; // what the raw floor opens under HKLM
        double before[3];   // vtable, Invoke, GetIDsOfNames + Invoke over the floor, last table
    };
    const Key keys[] = {
        {"existing", L"HKEY_LOCAL_MACHINE\\SOFTWARE", "SOFTWARE", {1.010, 1.067, 1.070}},
        {"missing", L"HKEY_LOCAL_MACHINE\\SOFTWARE\\OrvaneNoSuchKey", "SOFTWARE\\OrvaneNoSuchKey",
         {1.002, 1.065, 1.171}},
        {"unknown root", L"HKEY_NOWHERE\\X", "SOFTWARE", {}},
    };

    std::printf("%-14s %-30s %10s %10s\n", "key", "contender", "ns/call", "ratio");
    for (const Key& key : keys) {
        orvane::UniqueBstr text = orvane::MakeBstr(key.path);
        LPOLESTR name = const_cast<LPOLESTR>(L"" ORVANE_METHOD_NAME);
        VARIANT argument{};
        argument.vt = VT_BSTR;
        argument.bstrVal = text.get();
        DISPPARAMS params{&argument, nullptr, 1, 0};
        VARIANT_BOOL answer;
        auto lateBound = [&](IDispatch* object) {
            DISPID id;
            object->GetIDsOfNames(IID_NULL, &name, 1, 0, &id);
            VARIANT result{};
            object->Invoke(id, IID_NULL, 0, kScriptFlags, &params, &result, nullptr, nullptr);
        };

        std::vector<Contender> contenders = {
            {"raw RegOpenKeyExA", [&] {
                 HKEY opened;
                 if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.subkey, 0, KEY_READ, &opened) == 0)
                     RegCloseKey(opened);
             }},
            {"KeyExist (vtable)", [&] { probe->KeyExist(text.get(), &answer); }},
            {"Invoke by DISPID", [&] {
                 VARIANT result{};
                 probe->Invoke(ORVANE_DISPID_KEYEXIST, IID_NULL, 0, kScriptFlags, &params, &result,
                               nullptr, nullptr);
             }},
            {"GetIDsOfNames + Invoke", [&] { lateBound(probe.Get()); }},
            {"generic DispGetIDsOfNames+Invoke", [&] {
                 DISPID id;
                 DispGetIDsOfNames(vtableView.Get(), &name, 1, &id);
                 VARIANT result{};
                 DispInvoke(probe.Get(), vtableView.Get(), id, kScriptFlags, &params, &result,
                            nullptr, nullptr);
             }},
            {"minimal IDispatch", [&] { lateBound(&minimal); }},
        };
        Measure(contenders, kRounds, kCallsPerRound, kWarmUp);
        PrintRows(key.label, contenders, contenders[0]);
        if (key.before[0] != 0) {
            for (int i = 0; i < 3; ++i) {
                const double now = RatioMedian(contenders[1 + i], contenders[0]);
                char before[16];
                std::snprintf(before, sizeof before, "%.3fx", key.before[i]);
                targets.push_back({std::string(key.label) + ": " + contenders[1 + i].name +
                                       " over the floor, against " + before,
                                   now / key.before[i] - 1, 0.07, true});
            }
        } else {
            targets.push_back({"unknown root: GetIDsOfNames + Invoke over the minimal IDispatch",
                               RatioMedian(contenders[3], contenders[5]), 2.0});
        }
    }

    // A statically linked copy of the probe whose registry answers at once: KeyExist's own
    // work on a typical path of plain ASCII, against the cheapest call there is.
    orvane::RegistryAccess nothing(&FindOpenNothing, &CloseNothing);
    orvane::RegistrySeam::Replace(&nothing);
    {
        ComPtr<_clsRegistry> local;
        clsRegistry::CreateInstance(IID_PPV_ARGS(&local));
        orvane::UniqueBstr ascii = orvane::MakeBstr(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane\\Bench1");
        orvane::UniqueBstr unknown = orvane::MakeBstr(L"HKEY_NOWHERE\\X");
        orvane::UniqueBstr rootOnly = orvane::MakeBstr(L"HKEY_LOCAL_MACHINE");
        VARIANT_BOOL answer;
        std::vector<Contender> contenders = {
            {"unknown root (vtable)", [&] { local->KeyExist(unknown.get(), &answer); }},
            {"own work, 40-char ASCII path", [&] { local->KeyExist(ascii.get(), &answer); }},
            {"own work, root alone", [&] { local->KeyExist(rootOnly.get(), &answer); }},
        };
        Measure(contenders, kRounds, kCallsPerRound, kWarmUp);
        PrintRows("static probe", contenders, contenders[0]);
        targets.push_back({"own work on the ASCII path over the unknown-root call",
                           RatioMedian(contenders[1], contenders[0]), 2.0});
    }
    orvane::RegistrySeam::Replace(nullptr);

    std::printf("\n%-72s %9s %9s\n", "target", "value", "limit");
    bool met = true;
    for (const Target& t : targets) {
        const bool ok = t.value <= t.limit;
        met &= ok;
        if (t.drift)
            std::printf("%-72s %+8.1f%% %7s%.0f%% %s\n", t.what.c_str(), t.value * 100, "+",
                        t.limit * 100, ok ? "met" : "NOT MET");
        else
            std::printf("%-72s %8.3fx %8.1fx %s\n", t.what.c_str(), t.value, t.limit,
                        ok ? "met" : "NOT MET");
    }
    std::printf("%s\n", met ? "all targets met" : "some targets not met");
    probe.Reset();
    vtableView.Reset();
    CoUninitialize();
    return 0;
}
