// The malformed-path report as a real window: found by its caption, read, and dismissed.
#include "BoxWatcher.h"
#include "MessageBoxAccess.h"
#include "ProbeTest.h"

#include <memory>

namespace {

TEST(MessageBoxWindow, ShowsThePathAndWaitsForOk)
{
    const struct {
        std::wstring path;
        std::wstring shown;
        bool host = false; // the box is modal to it
    } cases[] = {
        {L"HKEY_CURRENT_USER\\Software\\", L"HKEY_CURRENT_USER\\Software\\"},
        // The box's text would end at U+0000, naming a key that exists, or nothing at all.
        {std::wstring(L"HKEY_LOCAL_MACHINE\\SOFTWARE\0\\", 29),
         L"HKEY_LOCAL_MACHINE\\SOFTWARE\u2400\\"},
        {std::wstring(L"\0HKEY_CURRENT_USER", 18), L"\u2400HKEY_CURRENT_USER"},
        {L"Not a path", L"Not a path", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "path \"" << c.shown << "\"");
        // An active window of this thread, standing for the host's.
        std::unique_ptr<HWND__, decltype(&DestroyWindow)> host(nullptr, &DestroyWindow);
        if (c.host) {
            host.reset(CreateWindowExW(0, L"STATIC", L"Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                       0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr));
            ASSERT_NE(host.get(), nullptr);
            SetActiveWindow(host.get());
            ASSERT_EQ(GetActiveWindow(), host.get());
        }
        Answer answer{};
        const SeenBox seen = CallAndDismissBox([&] { answer = Ask(c.path); });

        EXPECT_EQ(answer.hr, S_OK);
        EXPECT_EQ(answer.value, VARIANT_FALSE);
        if (!seen.found) {
            ASSERT_FALSE(DisplayRequired()) << "no box came up on the test display";
            GTEST_SKIP() << "no display: the box could not be shown";
        }
        ExpectIncorrectFormatBox(seen, c.shown, host.get());
        if (host) {
            EXPECT_TRUE(IsWindowEnabled(host.get()));
        }
    }
}

// Where a box can be seen, the system's own routine must say so, or every report would be
// silently dropped.
TEST(MessageBoxWindow, TheDisplaysWindowStationIsVisible)
{
    if (!DisplayRequired())
        GTEST_SKIP() << "no test display";
    DWORD flags = 0;
    ASSERT_TRUE(orvane::MessageBoxAccess::System().stationFlags(flags));
    EXPECT_NE(flags & WSF_VISIBLE, 0u);
}

// The box's modal loop dispatches this thread's messages. A timer that fires there and asks
// the same instance about a real key must neither get a wrong answer itself nor lend its
// root to the malformed call waiting underneath.
struct Reentry {
    _clsRegistry* probe = nullptr;
    std::wstring_view path;
    Answer answer{E_UNEXPECTED, 0x5A5A};
    int calls = 0;
};
Reentry* reentry = nullptr;

void CALLBACK AskFromTheTimer(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    ++reentry->calls;
    reentry->answer = Ask(reentry->probe, reentry->path);
}

TEST(MessageBoxWindow, CallsFromTheBoxsLoopDoNotChangeTheWaitingCall)
{
    const struct {
        std::wstring_view outer; // malformed, but a key below the inner call's root
        std::wstring_view inner; // an existing key
    } cases[] = {
        {L"Software", L"HKEY_CURRENT_USER\\Software"},
        {L"SOFTWARE", L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes"},
        {L"Control Panel", L"HKEY_CURRENT_USER"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "outer \"" << std::wstring(c.outer) << "\"");
        ComPtr<_clsRegistry> probe = NewProbe();
        Reentry state{probe.Get(), c.inner};
        reentry = &state;
        ASSERT_NE(SetTimer(nullptr, 0, 10, &AskFromTheTimer), 0u);
        Answer outer{E_UNEXPECTED, 0x5A5A};
        const SeenBox seen = CallAndDismissBox([&] { outer = Ask(probe.Get(), c.outer); });
        reentry = nullptr;

        if (!seen.found) {
            ASSERT_FALSE(DisplayRequired()) << "no box came up on the test display";
            GTEST_SKIP() << "no display: the box could not be shown";
        }
        ASSERT_EQ(state.calls, 1) << "the timer did not fire inside the box's loop";
        EXPECT_EQ(state.answer.hr, S_OK);
        EXPECT_EQ(state.answer.value, VARIANT_TRUE);
        EXPECT_EQ(outer.hr, S_OK);
        EXPECT_EQ(outer.value, VARIANT_FALSE);
    }
}

} // namespace
