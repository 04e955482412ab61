// The probe against the real registry, with keys the test makes under HKEY_CURRENT_USER.
#include "DeniedAccess.h"
#include "ProbeFakes.h"
#include "ProcessMemory.h"
#include "ProbeTest.h"

#include <algorithm>
#include <string>

namespace {

// One key per test process: ctest runs the tests side by side.
const std::wstring kBase = L"Software\\OrvaneProbeTest" + std::to_wstring(GetCurrentProcessId());

class RealRegistry : public testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kBase.c_str());
        for (const wchar_t* sub : {L"\\Present\\Child", L"\\Caf\u00E9"}) {
            orvane::UniqueHkey key;
            ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (kBase + sub).c_str(), 0, nullptr, 0,
                                      KEY_WRITE, nullptr, key.put(), nullptr),
                      ERROR_SUCCESS);
        }
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kBase.c_str()); }

    FakeMessageBox box_; // a malformed path must not block the run
};

TEST_F(RealRegistry, AnswersWhatTheRegistryHolds)
{
    const std::wstring user = L"HKEY_CURRENT_USER\\" + kBase;
    const struct {
        std::wstring path;
        VARIANT_BOOL answer;
    } cases[] = {
        {user, VARIANT_TRUE},
        {user + L"\\Present", VARIANT_TRUE},
        {user + L"\\Present\\Child", VARIANT_TRUE},
        {user + L"\\present\\CHILD", VARIANT_TRUE}, // the registry folds case, the prefix does not
        {user + L"\\Caf\u00E9", VARIANT_TRUE},
        {user + L"\\Absent", VARIANT_FALSE},
        {user + L"\\Present\\Child\\Absent", VARIANT_FALSE},
        {user + L"\\Present\\", VARIANT_FALSE},
        {user + std::wstring(L"\\Present\0Absent", 15), VARIANT_FALSE},
        {L"HKEY_CURRENT_USER", VARIANT_TRUE},
        {L"HKEY_LOCAL_MACHINE", VARIANT_TRUE},
        {L"HKEY_LOCAL_MACHINE\\SOFTWARE", VARIANT_TRUE},
        {L"HKEY_CLASSES_ROOT\\CLSID", VARIANT_TRUE},
        {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\NoSuchKey", VARIANT_FALSE},
        {std::wstring(L"HKEY_LOCAL_MACHINE\\SOFTWARE\0NoSuchKey", 37), VARIANT_FALSE},
        {L"HKEY_local_machine\\SOFTWARE", VARIANT_FALSE},
        {L"HKEY_NOWHERE\\X", VARIANT_FALSE},
    };
    ComPtr<_clsRegistry> probe = NewProbe();
    // Twice: the second time, each key opened is closed again (the first opens the roots).
    DWORD handles = 0;
    for (int round = 0; round < 2; ++round) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << "path \"" << c.path << "\"");
            const Answer answer = Ask(probe.Get(), c.path);
            EXPECT_EQ(answer.hr, S_OK);
            EXPECT_EQ(answer.value, c.answer);
        }
        if (round == 0)
            handles = HandleCount();
    }
    EXPECT_EQ(HandleCount(), handles);
}

// A doubled separator hands "\Software" to the registry: the answer is the registry's own.
TEST_F(RealRegistry, DoubledSeparatorGetsTheRegistrysOwnAnswer)
{
    HKEY key = nullptr;
    const LONG status = RegOpenKeyExA(HKEY_CURRENT_USER, "\\Software", 0, KEY_READ, &key);
    if (status == ERROR_SUCCESS)
        RegCloseKey(key);
    EXPECT_EQ(Ask(L"HKEY_CURRENT_USER\\\\Software").value,
              status == ERROR_SUCCESS ? VARIANT_TRUE : VARIANT_FALSE);
}

// A subkey of more than 260 characters exists (the wide call opens it), but Wine's
// RegOpenKeyExA refuses it (ERROR_MORE_DATA); Windows' has no such limit. The narrow call
// answers, as README says.
TEST_F(RealRegistry, LongSubkeysGetTheNarrowCallsAnswer)
{
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version");
    ComPtr<_clsRegistry> probe = NewProbe();
    for (size_t length : {260, 261, 400}) {
        SCOPED_TRACE(testing::Message() << length << " characters");
        // Names of at most 255 characters each.
        std::wstring subkey = kBase;
        while (subkey.size() < length) {
            const size_t name = std::min<size_t>(255, length - subkey.size() - 1);
            subkey += L'\\' + std::wstring(name ? name : 1, L'L');
        }
        ASSERT_EQ(subkey.size(), length);
        orvane::UniqueHkey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, 0, KEY_READ,
                                  nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        HKEY direct = nullptr;
        const LONG narrow = RegOpenKeyExA(HKEY_CURRENT_USER,
                                          std::string(subkey.begin(), subkey.end()).c_str(), 0,
                                          KEY_READ, &direct);
        if (narrow == ERROR_SUCCESS)
            RegCloseKey(direct);
        // Windows opens each; Wine 8 refuses more than 260 characters.
        EXPECT_TRUE(narrow == ERROR_SUCCESS || (wine && length > 260 && narrow == ERROR_MORE_DATA))
            << narrow;
        const Answer answer = Ask(probe.Get(), L"HKEY_CURRENT_USER\\" + subkey);
        EXPECT_EQ(answer.hr, S_OK);
        EXPECT_EQ(answer.value, narrow == ERROR_SUCCESS ? VARIANT_TRUE : VARIANT_FALSE);
    }
}

TEST_F(RealRegistry, KeyWithoutReadAccessIsFalse)
{
    const std::wstring locked = kBase + L"\\Locked";
    orvane::UniqueHkey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, locked.c_str(), 0, nullptr, 0, KEY_WRITE,
                              nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    const std::wstring path = L"HKEY_CURRENT_USER\\" + locked;
    {
        DeniedAccess denial(HKEY_CURRENT_USER, locked,
                            KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY);
        ASSERT_TRUE(denial.ok());
        HKEY probe = nullptr;
        const LONG direct = RegOpenKeyExW(HKEY_CURRENT_USER, locked.c_str(), 0, KEY_READ, &probe);
        if (direct == ERROR_SUCCESS) {
            RegCloseKey(probe);
            GTEST_SKIP() << "this registry does not enforce key security";
        }
        EXPECT_EQ(direct, ERROR_ACCESS_DENIED);
        EXPECT_EQ(Ask(path).value, VARIANT_FALSE);
    }
    // The control: with the key's own DACL back, the same path is True.
    EXPECT_EQ(Ask(path).value, VARIANT_TRUE);
}

} // namespace
