// A seeded stream of hostile key paths through the probe, with the registry and the message
// box stood in for. Each answer is checked against the oracle the native suites share: a
// report for a malformed path, silence for an unknown root, and the registry reached only
// with a subkey that survives the trip to the ANSI code page and back.
#include "HostilePaths.h"
#include "PathOracle.h"
#include "ProbeFakes.h"
#include "ProbeTest.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

namespace {

std::wstring Wide(std::u16string_view text)
{
    return std::wstring(text.begin(), text.end());
}

// The narrow form of text when the ANSI code page holds it exactly, judged by a round trip.
std::optional<std::string> ExactAnsi(std::u16string_view text)
{
    if (text.empty())
        return std::string();
    const std::wstring wide = Wide(text);
    const int length = static_cast<int>(wide.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr,
                                          nullptr);
    std::string narrow(static_cast<size_t>(std::max(bytes, 0)), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), length, narrow.data(), bytes, nullptr, nullptr);
    const int chars = MultiByteToWideChar(CP_ACP, 0, narrow.data(), bytes, nullptr, 0);
    std::wstring back(static_cast<size_t>(std::max(chars, 0)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, narrow.data(), bytes, back.data(), chars);
    if (bytes <= 0 || back != wide)
        return std::nullopt;
    return narrow;
}

TEST(HostileInput, EveryPathIsAnsweredByTheRules)
{
    FakeRegistry registry;
    FakeMessageBox box;
    ComPtr<_clsRegistry> probe = NewProbe();
    oracle::HostilePaths paths(oracle::kHostileSeed);
    std::array<int, oracle::kOutcomes> seen{};
    int failures = 0;

    for (int i = 0; i < oracle::kHostilePaths && failures < 10; ++i) {
        std::u16string path = paths.Next();
        // Now and then a NULL BSTR, which is the empty path, in place of the stream's path.
        const bool null = i % 997 == 0;
        if (null)
            path.clear();
        const oracle::Expectation expected = oracle::Judge(path, ExactAnsi);
        registry.status = i % 2 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
        registry.opens.clear();
        box.shown.clear();

        Answer answer{E_UNEXPECTED, 0x5A5A};
        if (null)
            answer.hr = probe->KeyExist(nullptr, &answer.value);
        else
            answer = Ask(probe.Get(), Wide(path));

        const bool asked = expected.outcome == oracle::Outcome::Asked;
        const VARIANT_BOOL value = asked && registry.status == ERROR_SUCCESS ? VARIANT_TRUE
                                                                             : VARIANT_FALSE;
        const bool right =
            answer.hr == S_OK && answer.value == value &&
            registry.opens.size() == (asked ? 1u : 0u) &&
            (!asked || registry.opens[0].subkey == expected.narrow) &&
            box.shown.size() == (expected.outcome == oracle::Outcome::Reported ? 1u : 0u) &&
            (box.shown.empty() || box.shown[0].text == Wide(oracle::ReportFor(path)));
        if (!right) {
            ++failures;
            ADD_FAILURE() << "path #" << i << ": " << oracle::Printable(path) << ", expected "
                          << oracle::OutcomeName(expected.outcome) << ", hr 0x" << std::hex
                          << answer.hr << ", answer " << answer.value << std::dec << ", opens "
                          << registry.opens.size() << ", boxes " << box.shown.size();
        }
        ++seen[static_cast<size_t>(expected.outcome)];
    }

    EXPECT_TRUE(registry.AllClosed());
    EXPECT_EQ(registry.lookups, 1);
    // The stream must keep reaching every outcome, or it proves less than it seems to.
    for (size_t i = 0; i < seen.size(); ++i) {
        const char* name = oracle::OutcomeName(static_cast<oracle::Outcome>(i));
        RecordProperty(name, seen[i]);
        EXPECT_GT(seen[i], oracle::kHostilePaths / 50) << name;
    }
    probe->AddRef();
    EXPECT_EQ(probe->Release(), 1u);
}

TEST(HostileInput, ByteCountedStringsCountWholeCharactersOnly)
{
    FakeRegistry registry;
    FakeMessageBox box;
    ComPtr<_clsRegistry> probe = NewProbe();

    // Half a character at the end of a byte-counted string is not part of the path.
    const struct {
        const char* bytes;
        UINT length;
        VARIANT_BOOL answer;
        const wchar_t* report; // nullptr when there is none
    } cases[] = {
        {"H\0K\0E\0Y\0_\0U\0S\0E\0R\0S\0\\", 21, VARIANT_TRUE, nullptr}, // "HKEY_USERS"
        {"H", 1, VARIANT_FALSE, L"Incorrect Format:\n\n"},                     // the empty path
        {"\\\0\\", 3, VARIANT_FALSE, L"Incorrect Format:\n\n\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        registry.opens.clear();
        box.shown.clear();
        orvane::UniqueBstr key(SysAllocStringByteLen(c.bytes, c.length));
        ASSERT_TRUE(key);
        VARIANT_BOOL answer = 0x5A5A;
        EXPECT_EQ(probe->KeyExist(key.get(), &answer), S_OK);
        EXPECT_EQ(answer, c.answer);
        if (c.report) {
            ASSERT_EQ(box.shown.size(), 1u);
            EXPECT_EQ(box.shown[0].text, c.report);
            EXPECT_TRUE(registry.opens.empty());
        } else {
            EXPECT_TRUE(box.shown.empty());
            ASSERT_EQ(registry.opens.size(), 1u);
            EXPECT_EQ(registry.opens[0].subkey, "");
        }
    }
}

} // namespace
