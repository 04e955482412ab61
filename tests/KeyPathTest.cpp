// How key paths are split, which root key they select, and which are reported as malformed.
#include "ProbeFakes.h"
#include "ProbeTest.h"
#include "RootKeys.h"

#include <optional>

namespace {

constexpr const char* kNoOpen = nullptr;

struct PathCase {
    std::wstring_view path;
    LONG root;          // root key handed to the registry
    const char* subkey; // subkey handed to the registry; kNoOpen when it is not reached
    bool reported;      // the "Incorrect Format" box is shown
};

const PathCase kPathCases[] = {
    {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes", LONG(0x80000002), "SOFTWARE\\Classes", false},
    {L"HKEY_LOCAL_MACHINE", LONG(0x80000002), "", false},
    {L"HKEY_USERS\\\\X", LONG(0x80000003), "\\X", false},
    {L"HKEY_CURRENT_USER\\\\Software", LONG(0x80000001), "\\Software", false},
    {L"HKEY_LOCAL_MACHINE\\a/b\\c", LONG(0x80000002), "a/b\\c", false},
    {L"HKEY_CLASSES_ROOT\\x", LONG(0x80000000), "x", false},
    {L"HKEY_CURRENT_USER\\x", LONG(0x80000001), "x", false},
    {L"HKEY_USERS\\x", LONG(0x80000003), "x", false},
    {L"HKEY_PERFORMANCE_DATA\\x", LONG(0x80000004), "x", false},
    {L"HKEY_CURRENT_CONFIG\\x", LONG(0x80000005), "x", false},
    {L"HKEY_DYN_DATA", LONG(0x80000006), "", false},
    // Well formed, but no root key of that name: silently False.
    {L"HKEY_Local_Machine\\Software", 0, kNoOpen, false},
    {L"HKEY_LOCAL_MACHINE/SOFTWARE", 0, kNoOpen, false},
    {L"HKEY_NOWHERE\\X", 0, kNoOpen, false},
    {L"HKEY_", 0, kNoOpen, false},
    {L"HKEY_LOCAL_MACHINE \\X", 0, kNoOpen, false},
    {L"HKEY_LOCAL_MACHINEX", 0, kNoOpen, false},
    {L"HKEY_CLASSES_ROOT_\\x", 0, kNoOpen, false},
    // Malformed: reported, never probed.
    {L"HKEY_CURRENT_USER\\", 0, kNoOpen, true},
    {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\", 0, kNoOpen, true},
    {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\\\", 0, kNoOpen, true},
    {L"", 0, kNoOpen, true},
    {L"HKEY", 0, kNoOpen, true},
    {L"HKEY\\", 0, kNoOpen, true},
    {L"\\", 0, kNoOpen, true},
    {L"hkey_local_machine\\Software", 0, kNoOpen, true},
    {L" HKEY_LOCAL_MACHINE", 0, kNoOpen, true},
    {L"SOFTWARE\\Classes", 0, kNoOpen, true},
    {L"HKEY-LOCAL_MACHINE", 0, kNoOpen, true},
};

TEST(KeyPath, SplitsSelectsAndReports)
{
    for (const PathCase& c : kPathCases) {
        SCOPED_TRACE(testing::Message() << "path \"" << std::wstring(c.path) << "\"");
        FakeRegistry registry;
        FakeMessageBox box;

        const Answer answer = Ask(c.path);

        EXPECT_EQ(answer.hr, S_OK);
        if (c.subkey == kNoOpen) {
            EXPECT_EQ(answer.value, VARIANT_FALSE);
            EXPECT_TRUE(registry.opens.empty());
            EXPECT_EQ(registry.lookups, 0);
        } else {
            EXPECT_EQ(answer.value, VARIANT_TRUE);
            ASSERT_EQ(registry.opens.size(), 1u);
            EXPECT_EQ(registry.opens[0].root, orvane::RootKeyHandle(c.root));
            EXPECT_EQ(registry.opens[0].subkey, c.subkey);
            EXPECT_EQ(registry.opens[0].options, 0u);
            EXPECT_EQ(registry.opens[0].access, REGSAM(0x20019));
        }
        if (c.reported) {
            ASSERT_EQ(box.shown.size(), 1u);
            EXPECT_EQ(box.shown[0].text, L"Incorrect Format:\n\n" + std::wstring(c.path));
            EXPECT_EQ(box.shown[0].caption, L"Orvane");
            EXPECT_EQ(box.shown[0].style, 0u);
            EXPECT_EQ(box.shown[0].owner, nullptr);
        } else {
            EXPECT_TRUE(box.shown.empty());
        }
    }
}

TEST(KeyPath, RootKeyHandlesMatchTheSystemsPredefinedKeys)
{
    const HKEY expected[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER,     HKEY_LOCAL_MACHINE,
                             HKEY_USERS,        HKEY_PERFORMANCE_DATA, HKEY_CURRENT_CONFIG,
                             HKEY_DYN_DATA};
    for (size_t i = 0; i < orvane::kRootKeyNames.size(); ++i)
        EXPECT_EQ(orvane::RootKeyHandle(orvane::kRootKeyNames[i].value), expected[i]) << i;
}

// An earlier call's root key must not leak into a later, malformed or rootless call.
TEST(KeyPath, OneInstanceAnswersAsFreshOnes)
{
    FakeRegistry registry;
    FakeMessageBox box;
    ComPtr<_clsRegistry> probe = NewProbe();
    for (int round = 0; round < 3; ++round) {
        for (const PathCase& c : kPathCases) {
            SCOPED_TRACE(testing::Message() << "path \"" << std::wstring(c.path) << "\"");
            const Answer reused = Ask(probe.Get(), c.path);
            const Answer fresh = Ask(c.path);
            EXPECT_EQ(reused.hr, fresh.hr);
            EXPECT_EQ(reused.value, fresh.value);
        }
    }
    EXPECT_TRUE(registry.AllClosed());
}

} // namespace
