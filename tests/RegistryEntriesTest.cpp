// Tables of registry entries with placeholders: written, owned and removed, in a scratch key.
#include "RegistryEntries.h"
#include "RegistryRead.h"

#include <gtest/gtest.h>

#include <iterator>

namespace {

using orvane::EntryData;
using orvane::EntryTable;
using orvane::GroupBit;
using orvane::Placeholder;
using orvane::RegistryEntry;

constexpr Placeholder kPlaceholders[] = {
    {L"%A%", L"alpha", 5},
    {L"%AB%", L"long", 4},
    {L"%P%", L"C:\\100%A%\\x.dll", 15},
    {L"%CUT%", L"abcdef", 3}, // only the first three count
};

TEST(TextTemplate, FillsInEachPlaceholderOnce)
{
    const struct {
        const wchar_t* pattern;
        const wchar_t* expected;
    } rows[] = {
        {L"", L""},
        {L"plain", L"plain"},
        {L"%A%", L"alpha"},
        {L"x%A%y%A%z", L"xalphayalphaz"},
        {L"%AB%", L"long"},              // not %A% followed by "B%"
        {L"%P%", L"C:\\100%A%\\x.dll"},  // what is put in is not searched again
        {L"%CUT%|", L"abc|"},
        {L"100% %B% %A", L"100% %B% %A"}, // no token: the text stays
        {L"%%A%%", L"%alpha%"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.pattern);
        orvane::ExpandedText text;
        ASSERT_EQ(text.Expand(row.pattern, kPlaceholders), S_OK);
        EXPECT_STREQ(text.get(), row.expected);
        EXPECT_EQ(text.size(), wcslen(row.expected));
    }
    orvane::ExpandedText none;
    EXPECT_EQ(none.Expand(nullptr, kPlaceholders), S_OK);
    EXPECT_STREQ(none.get(), L"");
    const Placeholder empty[] = {{L"", L"x", 1}, {nullptr, L"x", 1}, {L"%A%", nullptr, 9}};
    EXPECT_EQ(none.Expand(L"%A%%", empty), S_OK);
    EXPECT_STREQ(none.get(), L"%");
}

// A scratch key below HKEY_CURRENT_USER, gone again after each test.
class RegistryEntries : public testing::Test {
protected:
    static constexpr wchar_t kBase[] = L"Software\\OrvaneEntriesTest";
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kBase);
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kBase, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, root_.put(), nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override
    {
        root_.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, kBase);
    }
    DWORD Subkeys()
    {
        DWORD subkeys = 99;
        RegQueryInfoKeyW(root_.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr);
        return subkeys;
    }
    void Set(const wchar_t* key, const wchar_t* name, const std::wstring& data)
    {
        ASSERT_EQ(RegSetKeyValueW(root_.get(), key, name, REG_SZ, data.c_str(),
                                  static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }

    orvane::UniqueHkey root_;
};

TEST_F(RegistryEntries, WriteStopsAtTheFailedEntryAndSaysWhere)
{
    const std::wstring tooLong = L"A\\" + std::wstring(300, L'x');
    const RegistryEntry entries[] = {
        {L"A", L"", L"%A%", 0},
        {L"A\\B", L"Name", L"b", 0},
        {L"C", nullptr, nullptr, 1, EntryData::KeyOnly},
        {tooLong.c_str(), L"", L"never", 1},
        {L"D", L"", L"never reached", 1},
    };
    size_t attempted = 0;
    EXPECT_TRUE(FAILED(orvane::WriteEntries(root_.get(), {entries, kPlaceholders}, &attempted)));
    EXPECT_EQ(attempted, 4u);
    EXPECT_EQ(ReadString(root_.get(), L"A", L""), L"alpha");
    EXPECT_TRUE(KeyExists(root_.get(), L"C"));
    EXPECT_FALSE(KeyExists(root_.get(), L"D"));

    // The key that cannot be opened is reported, and the others still go.
    const EntryTable written{std::span(entries).first(attempted), kPlaceholders};
    EXPECT_TRUE(FAILED(orvane::RemoveEntries(root_.get(), written, GroupBit(0) | GroupBit(1))));
    EXPECT_EQ(Subkeys(), 0u);
    const EntryTable good{std::span(entries).first(3), kPlaceholders};
    ASSERT_EQ(orvane::WriteEntries(root_.get(), good, &attempted), S_OK);
    EXPECT_EQ(attempted, 3u);
    EXPECT_EQ(orvane::RemoveEntries(root_.get(), good, GroupBit(0) | GroupBit(1)), S_OK);
    EXPECT_EQ(orvane::RemoveEntries(root_.get(), good, GroupBit(0) | GroupBit(1)), S_OK);
    EXPECT_EQ(Subkeys(), 0u);
}

TEST_F(RegistryEntries, RemovesOnlyWhatHoldsOurData)
{
    const RegistryEntry entries[] = {
        {L"Mine", L"", L"%P%", 0},
        {L"Changed", L"", L"%P%", 0},
        {L"Longer", L"", L"%A%", 0},
        {L"Case", L"", L"%A%", 0},
        {L"Typed", L"", L"%A%", 0},
        {L"Folder", L"", L"%A%", 0, EntryData::Any},
        {L"Empty", nullptr, nullptr, 0, EntryData::KeyOnly},
        {L"Filled", nullptr, nullptr, 0, EntryData::KeyOnly},
        {L"Other", L"", L"%A%", 1},
    };
    const EntryTable table{entries, kPlaceholders};
    ASSERT_EQ(orvane::WriteEntries(root_.get(), table, nullptr), S_OK);
    Set(L"Changed", L"", L"C:\\elsewhere\\x.dll");
    Set(L"Longer", L"", L"alphabet");
    Set(L"Case", L"", L"ALPHA");
    ASSERT_EQ(RegSetKeyValueW(root_.get(), L"Typed", L"", REG_EXPAND_SZ, L"alpha", 12),
              ERROR_SUCCESS);
    Set(L"Folder", L"", L"D:\\someone\\");
    Set(L"Filled", L"Note", L"someone else's");

    EXPECT_EQ(orvane::RemoveEntries(root_.get(), table, GroupBit(0)), S_OK);
    const struct {
        const wchar_t* key;
        bool stays;
    } rows[] = {
        {L"Mine", false},    {L"Changed", true}, {L"Longer", true}, {L"Case", false},
        {L"Typed", true},    {L"Folder", false}, {L"Empty", false}, {L"Filled", true},
        {L"Other", true}, // a group not asked for
    };
    for (const auto& row : rows)
        EXPECT_EQ(KeyExists(root_.get(), row.key), row.stays) << row.key;
    EXPECT_EQ(ReadString(root_.get(), L"Changed", L""), L"C:\\elsewhere\\x.dll");
    EXPECT_EQ(ReadString(root_.get(), L"Filled", L"Note"), L"someone else's");
}

} // namespace
