// Times KeyExist against the raw registry calls it wraps, and the ways clients reach it.
// Prints median nanoseconds per call over alternating rounds, and each ratio to its floor.
#include "Handles.h"
#include "Identity.h"
#include "Orvane.h"

#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

constexpr int kWarmUp = 2000;
constexpr int kRounds = 41;
constexpr int kCallsPerRound = 500;

double Now()
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1e9 / frequency;
}

struct Contender {
    const char* name;
    std::function<void()> call;
    std::vector<double> rounds = {}; // ns per call
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs the contenders in turn, round after round, so that drift hits them all alike; every
// other round runs them in reverse, so that none always follows the same one.
void Measure(std::vector<Contender>& contenders)
{
    for (Contender& c : contenders) {
        for (int i = 0; i < kWarmUp; ++i)
            c.call();
    }
    const size_t count = contenders.size();
    for (int round = 0; round < kRounds; ++round) {
        for (size_t turn = 0; turn < count; ++turn) {
            Contender& c = contenders[round % 2 ? count - 1 - turn : turn];
            const double start = Now();
            for (int i = 0; i < kCallsPerRound; ++i)
                c.call();
            c.rounds.push_back((Now() - start) / kCallsPerRound);
        }
    }
}

ComPtr<_clsRegistry> LoadProbe()
{
    HMODULE dll = LoadLibraryW(L"Orvane.dll");
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

} // namespace

int main()
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ComPtr<_clsRegistry> probe = LoadProbe();
    if (!probe) {
        std::fprintf(stderr, "cannot load Orvane.dll from the program's folder\n");
        return 1;
    }

    struct Key {
        const char* label;
        const wchar_t* path;
        const char* subkey; // what the raw floor opens under HKLM
    };
    const Key keys[] = {
        {"existing", L"HKEY_LOCAL_MACHINE\\SOFTWARE", "SOFTWARE"},
        {"missing", L"HKEY_LOCAL_MACHINE\\SOFTWARE\\OrvaneNoSuchKey", "SOFTWARE\\OrvaneNoSuchKey"},
        {"unknown root", L"HKEY_NOWHERE\\X", "SOFTWARE"},
        // The missing key's path with its last character an unpaired surrogate: parsed and
        // converted as that key is, then refused before the registry. KeyExist's own work.
        {"own work", L"HKEY_LOCAL_MACHINE\\SOFTWARE\\OrvaneNoSuchKe\xD800",
         "SOFTWARE\\OrvaneNoSuchKey"},
    };

    std::printf("%-13s %-24s %12s %10s\n", "key", "contender", "ns/call", "ratio");
    for (const Key& key : keys) {
        orvane::UniqueBstr text = orvane::MakeBstr(key.path);
        LPOLESTR name = const_cast<LPOLESTR>(L"" ORVANE_METHOD_NAME);
        VARIANT argument{};
        argument.vt = VT_BSTR;
        argument.bstrVal = text.get();
        DISPPARAMS params{&argument, nullptr, 1, 0};
        VARIANT_BOOL answer;

        std::vector<Contender> contenders = {
            {"raw RegOpenKeyExA", [&] {
                 HKEY opened;
                 if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.subkey, 0, KEY_READ, &opened) == 0)
                     RegCloseKey(opened);
             }},
            {"KeyExist (vtable)", [&] { probe->KeyExist(text.get(), &answer); }},
            {"Invoke by DISPID", [&] {
                 VARIANT result{};
                 probe->Invoke(ORVANE_DISPID_KEYEXIST, IID_NULL, 0, DISPATCH_METHOD, &params,
                               &result, nullptr, nullptr);
             }},
            {"GetIDsOfNames + Invoke", [&] {
                 DISPID id;
                 probe->GetIDsOfNames(IID_NULL, &name, 1, 0, &id);
                 VARIANT result{};
                 probe->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr,
                               nullptr);
             }},
        };
        Measure(contenders);
        const double floor = Median(contenders[0].rounds);
        for (const Contender& c : contenders) {
            const double median = Median(c.rounds);
            std::printf("%-13s %-24s %12.0f %9.3fx\n", key.label, c.name, median, median / floor);
        }
    }
    probe.Reset();
    CoUninitialize();
    return 0;
}
