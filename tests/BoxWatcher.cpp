#include "BoxWatcher.h"
#include "Thread.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>

namespace {

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

} // namespace

SeenBox CallAndDismissBox(const std::function<void()>& call)
{
    std::atomic<bool> returned{false};
    const DWORD caller = GetCurrentThreadId();
    SeenBox seen;

    Thread watcher([&] {
        // No deadline: on a busy machine a box may take long to come up, and a call that
        // shows none returns.
        while (!returned) {
            HWND box = FindBox(caller);
            if (!box) {
                Sleep(20);
                continue;
            }
            Sleep(100); // a box that would close by itself gets the chance to
            seen.found = true;
            seen.callStillWaiting = !returned;
            wchar_t text[512] = {};
            GetDlgItemTextW(box, 0xFFFF, text, 512);
            seen.text = text;
            seen.owner = GetWindow(box, GW_OWNER);
            seen.ownerEnabled = seen.owner && IsWindowEnabled(seen.owner);
            EnumChildWindows(box, InspectChild, reinterpret_cast<LPARAM>(&seen));
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
            return;
        }
    });
    call();
    returned = true;
    watcher.join();
    return seen;
}

bool DisplayRequired()
{
    wchar_t value[8] = {};
    return GetEnvironmentVariableW(L"ORVANE_REQUIRE_DISPLAY", value, 8) == 1 && value[0] == L'1';
}

void ExpectIncorrectFormatBox(const SeenBox& seen, const std::wstring& path, HWND owner)
{
    EXPECT_TRUE(seen.callStillWaiting);
    EXPECT_EQ(seen.text, L"Incorrect Format:\n\n" + path);
    EXPECT_EQ(seen.owner, owner);
    EXPECT_FALSE(seen.ownerEnabled);
    EXPECT_EQ(seen.buttons, 1);
    EXPECT_TRUE(seen.okButton);
    EXPECT_FALSE(seen.icon);
}
