#include "MessageBoxAccess.h"

#include "Identity.h"

namespace orvane {
namespace {

bool ProcessStationFlags(DWORD& flags)
{
    USEROBJECTFLAGS info{};
    HWINSTA station = GetProcessWindowStation();
    if (!station || !GetUserObjectInformationW(station, UOI_FLAGS, &info, sizeof info, nullptr))
        return false;
    flags = info.dwFlags;
    return true;
}

// Through a function of ours, so that the set is constant (RegistryAccess.cpp says why).
int WINAPI ShowBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style)
{
    return MessageBoxW(owner, text, caption, style);
}

constinit MessageBoxAccess systemAccess{&ProcessStationFlags, &ShowBox};

} // namespace

MessageBoxAccess& MessageBoxAccess::System() noexcept
{
    return systemAccess;
}

void ShowUserMessage(const wchar_t* text)
{
    MessageBoxAccess& access = MessageBoxSeam::Current();
    DWORD flags = 0;
    // A station whose flags cannot be read is taken as visible: showing is the safe default.
    if (access.stationFlags(flags) && !(flags & WSF_VISIBLE))
        return;
    // Owned by the host's active window on this thread, if it has one: the box is then modal
    // to it, and the user cannot start more calls there or lose the box behind it.
    access.messageBox(GetActiveWindow(), text, L"" ORVANE_LIBRARY_NAME, MB_OK);
}

} // namespace orvane
