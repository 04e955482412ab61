// Stand-ins for the registry and the message box: they record what the probe asks and
// answer as the test says. Each installs itself for its lifetime.
#pragma once

#include "MessageBoxAccess.h"
#include "RegistryAccess.h"

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

struct RegistryOpen {
    HKEY root;
    std::string subkey;
    DWORD options;
    REGSAM access;
};

class FakeRegistry {
public:
    FakeRegistry();
    ~FakeRegistry();
    FakeRegistry(const FakeRegistry&) = delete;
    FakeRegistry& operator=(const FakeRegistry&) = delete;

    // How the next look-ups and opens answer.
    bool routineMissing = false;
    DWORD missingError = ERROR_PROC_NOT_FOUND;
    LONG status = ERROR_SUCCESS;

    // What the probe did.
    int lookups = 0;
    std::vector<RegistryOpen> opens;
    int closes = 0;
    std::map<HKEY, int> openKeys; // handle -> opens minus closes

    bool AllClosed() const;

private:
    static orvane::RegOpenKeyExAProc Find();
    static LONG WINAPI Open(HKEY root, LPCSTR subkey, DWORD options, REGSAM access, PHKEY key);
    static LONG WINAPI Close(HKEY key);

    orvane::RegistryAccess access_{&Find, &Close};
    ULONG_PTR nextHandle_ = 0x1000;
};

struct ShownMessage {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT style;
};

class FakeMessageBox {
public:
    FakeMessageBox();
    ~FakeMessageBox();
    FakeMessageBox(const FakeMessageBox&) = delete;
    FakeMessageBox& operator=(const FakeMessageBox&) = delete;

    // The window station's flags; none when they cannot be read.
    std::optional<DWORD> stationFlags = WSF_VISIBLE;
    // Runs while the box is "up", as a user or a message loop might.
    void (*whileShown)() = nullptr;

    std::vector<ShownMessage> shown;

private:
    static bool StationFlags(DWORD& flags);
    static int WINAPI Show(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style);

    orvane::MessageBoxAccess access_{&StationFlags, &Show};
};
