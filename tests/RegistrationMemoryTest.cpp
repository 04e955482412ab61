// Registration of this test program (its type library is linked in, as in the DLL) with each
// of its allocations failing in turn: the call fails with E_OUTOFMEMORY and leaves no
// registration behind, and unregistration says so too.
#include "AllocationFailure.h"
#include "Handles.h"
#include "Orvane.h"
#include "Registration.h"
#include "RegistryRead.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using orvane::RegistrationScope;

bool ClassRegistered()
{
    wchar_t clsid[39];
    StringFromGUID2(CLSID_clsRegistry, clsid, 39);
    const std::wstring key = std::wstring(L"Software\\Classes\\CLSID\\") + clsid;
    orvane::UniqueHkey handle;
    return RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, handle.put()) ==
           ERROR_SUCCESS;
}

class RegistrationMemory : public testing::Test {
protected:
    void TearDown() override { orvane::UnregisterServer(RegistrationScope::User); }
};

TEST_F(RegistrationMemory, EachFailedAllocationFailsRegistrationCleanly)
{
    // A key that was there before, empty (an uninstaller's leftover, say), stays.
    orvane::UniqueHkey leftover;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes\\TypeLib", 0, nullptr, 0,
                              KEY_READ, nullptr, leftover.put(), nullptr),
              ERROR_SUCCESS);
    const auto before = KeyContents(HKEY_CURRENT_USER, L"Software\\Classes");
    int failed = 0;
    for (int after = 0; after < 1000; ++after) {
        SCOPED_TRACE(after);
        HRESULT hr;
        bool triggered;
        {
            FailNextAllocation failure(after);
            hr = orvane::RegisterServer(RegistrationScope::User);
            triggered = failure.Triggered();
        }
        if (!triggered) {
            EXPECT_EQ(hr, S_OK);
            EXPECT_TRUE(ClassRegistered());
            break;
        }
        ++failed;
        EXPECT_EQ(hr, E_OUTOFMEMORY);
        EXPECT_EQ(KeyContents(HKEY_CURRENT_USER, L"Software\\Classes"), before);
    }
    EXPECT_GT(failed, 3) << "registration should need the heap several times";
}

TEST_F(RegistrationMemory, EachFailedAllocationIsReportedByUnregistration)
{
    int failed = 0;
    for (int after = 0; after < 1000; ++after) {
        SCOPED_TRACE(after);
        ASSERT_EQ(orvane::RegisterServer(RegistrationScope::User), S_OK);
        HRESULT hr;
        bool triggered;
        {
            FailNextAllocation failure(after);
            hr = orvane::UnregisterServer(RegistrationScope::User);
            triggered = failure.Triggered();
        }
        if (!triggered) {
            EXPECT_EQ(hr, S_OK);
            EXPECT_FALSE(ClassRegistered());
            break;
        }
        ++failed;
        EXPECT_EQ(hr, E_OUTOFMEMORY);
        // What is left goes with the next, unhindered, unregistration.
        EXPECT_EQ(orvane::UnregisterServer(RegistrationScope::User), S_OK);
        EXPECT_FALSE(ClassRegistered());
    }
    EXPECT_GT(failed, 3);
}

} // namespace
