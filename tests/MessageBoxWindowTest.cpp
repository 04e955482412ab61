// The malformed-path report as a real window: found by its caption, read, and dismissed.
#include "ProbeTest.h"

#include <atomic>
#include <string>
#include <thread>

namespace {

struct SeenBox {
    bool found = false;
    bool callStillWaiting = false;
    std::wstring text;
    bool ownerless = false;
    int buttons = 0;
    bool okButton = false;
    bool icon = false;
};

BOOL CALLBACK InspectChild(HWND child, LPARAM param)
{
    SeenBox& seen = *reinterpret_cast<SeenBox*>(param);
    if (!IsWindowVisible(child))
        return TRUE;
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if (lstrcmpiW(cls, L"Button") == 0) {
        ++seen.buttons;
        seen.okButton |= GetDlgCtrlID(child) == IDOK;
    } else if (lstrcmpiW(cls, L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
        seen.icon |= SendMessageW(child, STM_GETICON, 0, 0) != 0;
    }
    return TRUE;
}

BOOL CALLBACK MatchCaption(HWND window, LPARAM param)
{
    wchar_t caption[16] = {};
    GetWindowTextW(window, caption, 16);
    if (IsWindowVisible(window) && lstrcmpW(caption, L"Orvane") == 0) {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindBox(DWORD threadId)
{
    HWND found = nullptr;
    EnumThreadWindows(threadId, MatchCaption, reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST(MessageBoxWindow, ShowsThePathAndWaitsForOk)
{
    const std::wstring path = L"HKEY_CURRENT_USER\\Software\\";
    std::atomic<bool> returned{false};
    std::atomic<DWORD> callerThread{0};
    SeenBox seen;

    std::thread watcher([&] {
        for (int i = 0; i < 500 && !returned; ++i) {
            HWND box = callerThread ? FindBox(callerThread) : nullptr;
            if (!box) {
                Sleep(20);
                continue;
            }
            Sleep(100); // a box that would close by itself gets the chance to
            seen.found = true;
            seen.callStillWaiting = !returned;
            wchar_t text[256] = {};
            GetDlgItemTextW(box, 0xFFFF, text, 256);
            seen.text = text;
            seen.ownerless = GetWindow(box, GW_OWNER) == nullptr;
            EnumChildWindows(box, InspectChild, reinterpret_cast<LPARAM>(&seen));
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
            return;
        }
    });

    callerThread = GetCurrentThreadId();
    const Answer answer = Ask(path);
    returned = true;
    watcher.join();

    EXPECT_EQ(answer.hr, S_OK);
    EXPECT_EQ(answer.value, VARIANT_FALSE);
    if (!seen.found)
        GTEST_SKIP() << "no display: the box could not be shown";
    EXPECT_TRUE(seen.callStillWaiting);
    EXPECT_EQ(seen.text, L"Incorrect Format:\n\n" + path);
    EXPECT_TRUE(seen.ownerless);
    EXPECT_EQ(seen.buttons, 1);
    EXPECT_TRUE(seen.okButton);
    EXPECT_FALSE(seen.icon);
}

} // namespace
