// How the probe talks to the interactive user: a modal message box, shown only where the
// process's window station is visible to a user.
#pragma once

#include "Seam.h"

#include <windows.h>

#include <string_view>

namespace orvane {

struct MessageBoxAccess {
    // UOI_FLAGS of the process's window station; false when they cannot be read.
    bool (*stationFlags)(DWORD& flags);
    int(WINAPI* messageBox)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style);

    static MessageBoxAccess& System() noexcept;
};

using MessageBoxSeam = Seam<MessageBoxAccess>;

// Shows text in a box captioned with the component's name, one OK button and no icon, modal
// to the calling thread's active window if there is one, and waits until it is closed. Where
// no user can see it (services, web servers, scheduled tasks) it returns at once as if the box
// had been dismissed, rather than hang its host.
void ShowUserMessage(const wchar_t* text);

} // namespace orvane
