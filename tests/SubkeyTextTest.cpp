// The subkey reaches the narrow registry call only when the ANSI code page holds it exactly.
#include "ProbeFakes.h"
#include "ProbeTest.h"

namespace {

constexpr const char* kRejected = nullptr;

struct TextCase {
    UINT codePage;          // the ANSI code page the row is for
    std::wstring_view subkey;
    const char* narrow;     // what the registry is asked for; kRejected when nothing is
};

const TextCase kTextCases[] = {
    {1252, L"SOFTWARE\\Caf\u00E9", "SOFTWARE\\Caf\xE9"},
    {1252, L"Euro\u20AC", "Euro\x80"},
    {1252, L"Why?", "Why?"},                           // a real '?' is not a substitute
    {1252, L"a\uFF3Cb", kRejected},                    // fullwidth reverse solidus: best-fit '\'
    {1252, L"\u0100", kRejected},                      // best-fit 'A'
    {1252, L"x\u4E2D", kRejected},                     // no form at all: '?'
    {1252, L"\U0001F600", kRejected},                  // paired surrogates outside the page
    {932, L"\u00A5", kRejected},                       // best-fit 0x5C, the separator
    {932, L"\u4E2D", "\x92\x86"},
    {65001, L"a\uFF3Cb", "a\xEF\xBC\xBC" "b"},
    {65001, L"\U0001F600", "\xF0\x9F\x98\x80"},
    {0, L"\xD800", kRejected},                         // unpaired surrogates, any page
    {0, L"a\xDC00" L"b", kRejected},
    {0, std::wstring_view(L"SOFTWARE\0NoSuchKey", 18), kRejected},
    {0, std::wstring_view(L"\0", 1), kRejected},
    {0, L"SOFTWARE\\Plain", "SOFTWARE\\Plain"},
};

TEST(SubkeyText, OnlyExactConversionsReachTheRegistry)
{
    const UINT acp = GetACP();
    int checked = 0;
    for (const TextCase& c : kTextCases) {
        if (c.codePage != 0 && c.codePage != acp)
            continue;
        SCOPED_TRACE(testing::Message() << "code page " << acp << ", subkey \""
                                        << std::wstring(c.subkey) << "\"");
        FakeRegistry registry;
        FakeMessageBox box;
        const Answer answer = Ask(L"HKEY_LOCAL_MACHINE\\" + std::wstring(c.subkey));
        EXPECT_EQ(answer.hr, S_OK);
        EXPECT_TRUE(box.shown.empty());
        if (c.narrow == kRejected) {
            EXPECT_EQ(answer.value, VARIANT_FALSE);
            EXPECT_TRUE(registry.opens.empty());
        } else {
            EXPECT_EQ(answer.value, VARIANT_TRUE);
            ASSERT_EQ(registry.opens.size(), 1u);
            EXPECT_EQ(registry.opens[0].subkey, c.narrow);
        }
        ++checked;
    }
    RecordProperty("AnsiCodePage", static_cast<int>(acp));
    EXPECT_GE(checked, 5);
}

} // namespace

namespace {

// A subkey whose narrow form outgrows the probe's inline buffer is converted again on the
// heap, whole.
TEST(SubkeyText, LongSubkeysAreConvertedWhole)
{
    const struct {
        UINT codePage;
        wchar_t unit;
        const char* narrow;
    } pages[] = {{1252, L'\u00E9', "\xE9"}, {932, L'\u4E2D', "\x92\x86"}};
    const UINT acp = GetACP();
    int checked = 0;
    for (const auto& page : pages) {
        if (page.codePage != acp)
            continue;
        for (size_t units : {127u, 128u, 255u, 256u, 1000u}) {
            SCOPED_TRACE(units);
            FakeRegistry registry;
            const Answer answer =
                Ask(L"HKEY_CURRENT_USER\\" + std::wstring(units, page.unit) + L"x");
            EXPECT_EQ(answer.value, VARIANT_TRUE);
            std::string expected;
            for (size_t i = 0; i < units; ++i)
                expected += page.narrow;
            ASSERT_EQ(registry.opens.size(), 1u);
            EXPECT_EQ(registry.opens[0].subkey, expected + "x");
            ++checked;
        }
    }
    EXPECT_GT(checked, 0) << "no row for code page " << acp;
}

} // namespace
