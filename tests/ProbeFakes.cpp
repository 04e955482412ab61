#include "ProbeFakes.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace {
FakeRegistry* registry = nullptr;
FakeMessageBox* messageBox = nullptr;
} // namespace

FakeRegistry::FakeRegistry()
{
    registry = this;
    orvane::RegistrySeam::Replace(&access_);
}

FakeRegistry::~FakeRegistry()
{
    orvane::RegistrySeam::Replace(nullptr);
    registry = nullptr;
}

bool FakeRegistry::AllClosed() const
{
    for (const auto& [key, count] : openKeys) {
        if (count != 0)
            return false;
    }
    return true;
}

orvane::RegOpenKeyExAProc FakeRegistry::Find()
{
    ++registry->lookups;
    if (registry->routineMissing) {
        SetLastError(registry->missingError);
        return nullptr;
    }
    return &Open;
}

LONG WINAPI FakeRegistry::Open(HKEY root, LPCSTR subkey, DWORD options, REGSAM access, PHKEY key)
{
    registry->opens.push_back({root, subkey, options, access});
    if (registry->status == ERROR_SUCCESS) {
        *key = reinterpret_cast<HKEY>(registry->nextHandle_ += 4);
        ++registry->openKeys[*key];
    } else {
        *key = reinterpret_cast<HKEY>(0xBAD0); // junk, as a failed open may leave
    }
    return registry->status;
}

LONG WINAPI FakeRegistry::Close(HKEY key)
{
    ++registry->closes;
    --registry->openKeys[key];
    return ERROR_SUCCESS;
}

FakeMessageBox::FakeMessageBox()
{
    messageBox = this;
    orvane::MessageBoxSeam::Replace(&access_);
}

FakeMessageBox::~FakeMessageBox()
{
    orvane::MessageBoxSeam::Replace(nullptr);
    messageBox = nullptr;
}

bool FakeMessageBox::StationFlags(DWORD& flags)
{
    if (!messageBox->stationFlags)
        return false;
    flags = *messageBox->stationFlags;
    return true;
}

int WINAPI FakeMessageBox::Show(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style)
{
    // The component builds the text in a block of the process heap; it must end there.
    EXPECT_LE((wcslen(text) + 1) * sizeof(wchar_t), HeapSize(GetProcessHeap(), 0, text));
    messageBox->shown.push_back({owner, text, caption, style});
    if (messageBox->whileShown)
        messageBox->whileShown();
    return IDOK;
}
