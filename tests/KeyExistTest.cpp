// KeyExist's answers and statuses, with the registry and the message box stood in for.
#include "AllocationFailure.h"
#include "ProbeFakes.h"
#include "ProbeTest.h"

#include <string>
#include <utility>

namespace {

constexpr wchar_t kKey[] = L"HKEY_LOCAL_MACHINE\\SOFTWARE";

TEST(KeyExist, AnswersTrueOnlyWhenTheOpenSucceeds)
{
    const struct {
        LONG status;
        VARIANT_BOOL answer;
    } cases[] = {
        {ERROR_SUCCESS, VARIANT_TRUE},        {ERROR_FILE_NOT_FOUND, VARIANT_FALSE},
        {ERROR_ACCESS_DENIED, VARIANT_FALSE}, {ERROR_BAD_PATHNAME, VARIANT_FALSE},
        {ERROR_INVALID_HANDLE, VARIANT_FALSE}, {-1, VARIANT_FALSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        FakeRegistry registry;
        FakeMessageBox box;
        registry.status = c.status;
        const Answer answer = Ask(kKey);
        EXPECT_EQ(answer.hr, S_OK);
        EXPECT_EQ(answer.value, c.answer);
        EXPECT_EQ(registry.closes, c.status == ERROR_SUCCESS ? 1 : 0);
        EXPECT_TRUE(registry.AllClosed());
        EXPECT_TRUE(box.shown.empty());
    }
}

TEST(KeyExist, NullOutPointerIsRefusedUntouched)
{
    FakeRegistry registry;
    FakeMessageBox box;
    orvane::UniqueBstr key = orvane::MakeBstr(L"HKEY_CURRENT_USER\\");
    EXPECT_EQ(NewProbe()->KeyExist(key.get(), nullptr), E_POINTER);
    EXPECT_EQ(registry.lookups, 0);
    EXPECT_TRUE(box.shown.empty());
}

TEST(KeyExist, NullStringIsTheEmptyPath)
{
    FakeRegistry registry;
    FakeMessageBox box;
    VARIANT_BOOL answer = VARIANT_TRUE;
    EXPECT_EQ(NewProbe()->KeyExist(nullptr, &answer), S_OK);
    EXPECT_EQ(answer, VARIANT_FALSE);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, L"Incorrect Format:\n\n");
    EXPECT_EQ(registry.lookups, 0);
}

TEST(KeyExist, OpenRoutineIsFoundOnceAndReused)
{
    FakeRegistry registry;
    ComPtr<_clsRegistry> probe = NewProbe();
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Ask(probe.Get(), kKey).value, VARIANT_TRUE);
    EXPECT_EQ(Ask(kKey).value, VARIANT_TRUE);
    EXPECT_EQ(registry.lookups, 1);
}

TEST(KeyExist, MissingOpenRoutineFailsTheCallAndIsLookedUpAgain)
{
    FakeRegistry registry;
    ComPtr<_clsRegistry> probe = NewProbe();
    registry.routineMissing = true;

    const struct {
        DWORD error;
        HRESULT expected;
    } cases[] = {
        {ERROR_PROC_NOT_FOUND, HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND)},
        {ERROR_MOD_NOT_FOUND, HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)},
        // A look-up that fails without saying why must still fail the call.
        {ERROR_SUCCESS, HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        registry.missingError = c.error;
        const Answer answer = Ask(probe.Get(), kKey);
        EXPECT_EQ(answer.hr, c.expected);
        EXPECT_EQ(answer.value, VARIANT_FALSE);
    }
    EXPECT_EQ(registry.lookups, 3);
    EXPECT_TRUE(registry.opens.empty());

    registry.routineMissing = false;
    EXPECT_EQ(Ask(probe.Get(), kKey).value, VARIANT_TRUE);
    EXPECT_EQ(Ask(probe.Get(), kKey).value, VARIANT_TRUE);
    EXPECT_EQ(registry.lookups, 4);

    // The call's reference to itself is gone again: only ours is left.
    probe->AddRef();
    EXPECT_EQ(probe->Release(), 1u);
}

TEST(KeyExist, OutOfMemoryFailsTheCallCleanly)
{
    FakeRegistry registry;
    FakeMessageBox box;
    ComPtr<_clsRegistry> probe = NewProbe();
    // The report's text and a subkey too long for the inline buffer both need the heap.
    const std::wstring paths[] = {L"HKEY_CURRENT_USER\\",
                                  L"HKEY_CURRENT_USER\\" + std::wstring(1000, L'k')};
    for (const std::wstring& path : paths) {
        SCOPED_TRACE(path.size());
        orvane::UniqueBstr key = orvane::MakeBstr(path);
        VARIANT_BOOL answer = VARIANT_TRUE;
        HRESULT hr;
        {
            FailNextAllocation failure;
            hr = probe->KeyExist(key.get(), &answer);
            EXPECT_TRUE(failure.Triggered());
        }
        EXPECT_EQ(hr, E_OUTOFMEMORY);
        EXPECT_EQ(answer, VARIANT_FALSE);
    }
    EXPECT_TRUE(box.shown.empty());
    EXPECT_TRUE(registry.opens.empty());
    probe->AddRef();
    EXPECT_EQ(probe->Release(), 1u);
}

TEST(KeyExist, LongSubkeyReachesTheRegistryWhole)
{
    FakeRegistry registry;
    const std::string subkey(5000, 'k');
    EXPECT_EQ(Ask(L"HKEY_CURRENT_USER\\" + std::wstring(subkey.begin(), subkey.end())).value,
              VARIANT_TRUE);
    ASSERT_EQ(registry.opens.size(), 1u);
    EXPECT_EQ(registry.opens[0].subkey, subkey);
}

TEST(KeyExist, OpensEqualClosesOverManyCalls)
{
    FakeRegistry registry;
    FakeMessageBox box;
    ComPtr<_clsRegistry> probe = NewProbe();
    const std::wstring_view paths[] = {kKey, L"HKEY_CURRENT_USER", L"HKEY_NOWHERE\\X",
                                       L"HKEY_USERS\\", L"HKEY_USERS\\\\.DEFAULT"};
    for (int i = 0; i < 2000; ++i) {
        registry.status = i % 3 == 0 ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
        Ask(probe.Get(), paths[i % std::size(paths)]);
    }
    EXPECT_GT(registry.closes, 0);
    EXPECT_TRUE(registry.AllClosed());
}

TEST(KeyExist, CallersStringIsLeftAsItWas)
{
    FakeRegistry registry;
    FakeMessageBox box;
    const std::wstring_view paths[] = {kKey, L"HKEY_USERS\\\\X", L"HKEY_CURRENT_USER\\",
                                       L"HKEY_NOWHERE", std::wstring_view(L"HKEY_USERS\\a\0b", 14)};
    for (std::wstring_view path : paths) {
        orvane::UniqueBstr key = orvane::MakeBstr(path);
        VARIANT_BOOL answer;
        NewProbe()->KeyExist(key.get(), &answer);
        EXPECT_EQ(std::wstring_view(key.get(), SysStringLen(key.get())), path);
    }
}

// A client may drop its last reference while the box is up (its message loop runs); the
// instance must outlive the call.
class WatchedRegistry : public clsRegistry {
public:
    static inline bool destroyed = false;
    ~WatchedRegistry() override { destroyed = true; }
};

TEST(KeyExist, InstanceOutlivesAReleaseDuringTheCall)
{
    FakeMessageBox box;
    static WatchedRegistry* probe;
    probe = new WatchedRegistry();
    WatchedRegistry::destroyed = false;
    box.whileShown = [] {
        probe->Release();
        EXPECT_FALSE(WatchedRegistry::destroyed);
    };
    orvane::UniqueBstr key = orvane::MakeBstr(L"HKEY");
    VARIANT_BOOL answer = VARIANT_TRUE;
    EXPECT_EQ(probe->KeyExist(key.get(), &answer), S_OK);
    EXPECT_EQ(answer, VARIANT_FALSE);
    EXPECT_TRUE(WatchedRegistry::destroyed);
}

// The box's loop may run another call on the same instance (a timer, a window message, a
// call from another apartment). Each call answers for its own path.
struct NestedCall {
    _clsRegistry* probe = nullptr;
    std::wstring_view path;
    Answer answer{E_UNEXPECTED, 0x5A5A};
};
NestedCall* nested = nullptr;

TEST(KeyExist, ACallFromTheBoxsLoopDoesNotChangeTheWaitingCall)
{
    const struct {
        std::wstring_view outer; // malformed
        std::wstring_view inner; // well formed, asked while the outer call's box is up
        const char* innerSubkey;
    } cases[] = {
        {L"Software", L"HKEY_CURRENT_USER\\Software", "Software"},
        {L"SOFTWARE\\Classes", L"HKEY_LOCAL_MACHINE", ""},
        {L"HKEY_USERS\\", L"HKEY_USERS\\.DEFAULT", ".DEFAULT"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "outer \"" << std::wstring(c.outer) << "\"");
        FakeRegistry registry;
        FakeMessageBox box;
        ComPtr<_clsRegistry> probe = NewProbe();
        NestedCall call{probe.Get(), c.inner};
        nested = &call;
        box.whileShown = [] {
            NestedCall* inner = std::exchange(nested, nullptr); // once, not from its own box
            if (inner)
                inner->answer = Ask(inner->probe, inner->path);
        };

        const Answer outer = Ask(probe.Get(), c.outer);
        nested = nullptr;

        EXPECT_EQ(call.answer.hr, S_OK);
        EXPECT_EQ(call.answer.value, VARIANT_TRUE);
        EXPECT_EQ(outer.hr, S_OK);
        EXPECT_EQ(outer.value, VARIANT_FALSE);
        ASSERT_EQ(registry.opens.size(), 1u) << "only the inner call may reach the registry";
        EXPECT_EQ(registry.opens[0].subkey, c.innerSubkey);
        EXPECT_EQ(box.shown.size(), 1u);
        EXPECT_TRUE(registry.AllClosed());
    }
}

TEST(KeyExist, MessageIsShownOnlyWhereAUserCanSeeIt)
{
    const struct {
        std::optional<DWORD> flags;
        bool shown;
    } cases[] = {
        {WSF_VISIBLE, true},
        {0, false},                    // a service's or a web server's station
        {~DWORD(WSF_VISIBLE), false},
        {std::nullopt, true},          // unknown: show, as always
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags.value_or(0xDEAD));
        FakeRegistry registry;
        FakeMessageBox box;
        box.stationFlags = c.flags;
        const Answer answer = Ask(L"HKEY_CURRENT_USER\\");
        EXPECT_EQ(answer.hr, S_OK);
        EXPECT_EQ(answer.value, VARIANT_FALSE);
        EXPECT_EQ(box.shown.size(), c.shown ? 1u : 0u);
        EXPECT_TRUE(registry.opens.empty());
    }
}

} // namespace
