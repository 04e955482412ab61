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
    ExpectIncorrectFormatBox(seen, path);
}

} // namespace
