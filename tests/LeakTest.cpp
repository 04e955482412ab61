// 100,000 calls against the real registry leave no key handle, string or memory behind.
#include "Identity.h"
#include "ProbeFakes.h"
#include "ProbeTest.h"
#include "ProcessMemory.h"
#include "RegistryAccess.h"

#include <set>

namespace {

// The system's registry routines, with every open and close counted on the way through.
class CountingRegistry {
public:
    CountingRegistry() { orvane::RegistrySeam::Replace(&access_); }
    ~CountingRegistry() { orvane::RegistrySeam::Replace(nullptr); }

    static inline long opens = 0;
    static inline long closes = 0;
    static inline std::set<HKEY> open;
    static inline bool unknownClose = false;

private:
    static orvane::RegOpenKeyExAProc Find()
    {
        real_ = orvane::RegistryAccess::System().OpenRoutine();
        return real_ ? &Open : nullptr;
    }
    static LONG WINAPI Open(HKEY root, LPCSTR subkey, DWORD options, REGSAM access, PHKEY key)
    {
        const LONG status = real_(root, subkey, options, access, key);
        if (status == ERROR_SUCCESS) {
            ++opens;
            open.insert(*key);
        }
        return status;
    }
    static LONG WINAPI Close(HKEY key)
    {
        ++closes;
        unknownClose |= open.erase(key) == 0;
        return RegCloseKey(key);
    }

    static inline orvane::RegOpenKeyExAProc real_ = nullptr;
    orvane::RegistryAccess access_{&Find, &Close};
};

TEST(Leaks, HundredThousandCallsLeaveNothingBehind)
{
    CountingRegistry registry;
    const struct {
        const wchar_t* path;
        VARIANT_BOOL answer;
    } mix[] = {
        {L"HKEY_LOCAL_MACHINE\\SOFTWARE", VARIANT_TRUE},
        {L"HKEY_CURRENT_USER", VARIANT_TRUE},
        {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\OrvaneNoSuchKey", VARIANT_FALSE},
        {L"HKEY_NOWHERE\\X", VARIANT_FALSE},
    };
    std::vector<orvane::UniqueBstr> keys;
    for (const auto& c : mix)
        keys.push_back(orvane::MakeBstr(c.path));
    ComPtr<_clsRegistry> probe = NewProbe();

    auto run = [&](int calls) {
        int wrong = 0;
        for (int i = 0; i < calls; ++i) {
            VARIANT_BOOL answer = 0x5A5A;
            const size_t k = i % std::size(mix);
            if (probe->KeyExist(keys[k].get(), &answer) != S_OK || answer != mix[k].answer)
                ++wrong;
        }
        return wrong;
    };
    ASSERT_EQ(run(10000), 0); // warm-up: caches, heap growth
    const SIZE_T bytesBefore = PrivateBytes();
    const DWORD handlesBefore = HandleCount();

    EXPECT_EQ(run(100000), 0);

    EXPECT_EQ(HandleCount(), handlesBefore);
    EXPECT_GT(bytesBefore, 0u);
    EXPECT_LT(PrivateBytes(), bytesBefore + 512 * 1024) << "before: " << bytesBefore;
    EXPECT_GT(CountingRegistry::opens, 50000);
    EXPECT_EQ(CountingRegistry::opens, CountingRegistry::closes);
    EXPECT_TRUE(CountingRegistry::open.empty());
    EXPECT_FALSE(CountingRegistry::unknownClose);
}

// A late-bound call whose argument is converted to a string frees that string again.
TEST(Leaks, ConvertedArgumentsAreFreed)
{
    FakeMessageBox box;
    box.stationFlags = 0; // "5" is malformed: no box, and nothing recorded
    ComPtr<_clsRegistry> probe = NewProbe();
    LONG number = 5;
    VARIANT forms[2]{};
    forms[0].vt = VT_I4;
    forms[0].lVal = number;
    forms[1].vt = VT_I4 | VT_BYREF;
    forms[1].plVal = &number;
    auto run = [&](int calls) {
        int wrong = 0;
        for (int i = 0; i < calls; ++i) {
            DISPPARAMS params{&forms[i % 2], nullptr, 1, 0};
            VARIANT result{};
            if (probe->Invoke(ORVANE_DISPID_KEYEXIST, IID_NULL, 0, DISPATCH_METHOD, &params,
                              &result, nullptr, nullptr) != S_OK)
                ++wrong;
        }
        return wrong;
    };
    ASSERT_EQ(run(1000), 0);
    const SIZE_T bytesBefore = PrivateBytes();
    EXPECT_EQ(run(40000), 0);
    EXPECT_LT(PrivateBytes(), bytesBefore + 512 * 1024) << "before: " << bytesBefore;
}

} // namespace
