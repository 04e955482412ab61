// Finds the component's message box as a real window, reads it and presses OK.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

struct SeenBox {
    bool found = false;
    bool callStillWaiting = false; // the call had not returned while the box was up
    std::wstring text;
    HWND owner = nullptr;
    bool ownerEnabled = false; // while the box was up
    int buttons = 0;
    bool okButton = false;
    bool icon = false;
};

// Runs call on this thread while another thread waits for a box captioned "Orvane" owned
// by this thread, reads it and dismisses it with OK. found is false when no box came up
// (no display).
SeenBox CallAndDismissBox(const std::function<void()>& call);

// Whether the test command started a display for the window tests (ORVANE_REQUIRE_DISPLAY=1):
// then a box that never came up is a failure, not a reason to skip.
bool DisplayRequired();

// The box reported path as malformed: its text, one OK button, no icon, the owner given
// (disabled while the box was up), and the call waited for it.
void ExpectIncorrectFormatBox(const SeenBox& seen, const std::wstring& path,
                              HWND owner = nullptr);
