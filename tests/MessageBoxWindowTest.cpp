// The malformed-path report as a real window: found by its caption, read, and dismissed.
#include "BoxWatcher.h"
#include "ProbeTest.h"

namespace {

TEST(MessageBoxWindow, ShowsThePathAndWaitsForOk)
{
    const std::wstring path = L"HKEY_CURRENT_USER\\Software\\";
    Answer answer{};
    const SeenBox seen = CallAndDismissBox([&] { answer = Ask(path); });

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
