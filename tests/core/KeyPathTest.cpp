// The key-path rules as tables: the form, the first split and the exact root-name lookup.
#include "KeyPath.h"
#include "PathOracle.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string_view>

namespace orvane {

void PrintTo(PathKind kind, std::ostream* out)
{
    const char* names[] = {"Malformed", "UnknownRoot", "Root"};
    *out << names[static_cast<int>(kind)];
}

namespace {

using namespace std::literals;

constexpr RootKeyValue Value(std::uint32_t bits) { return static_cast<RootKeyValue>(bits); }
constexpr RootKeyValue kClasses = Value(0x80000000u);
constexpr RootKeyValue kUser = Value(0x80000001u);
constexpr RootKeyValue kMachine = Value(0x80000002u);
constexpr RootKeyValue kUsers = Value(0x80000003u);
constexpr RootKeyValue kPerformance = Value(0x80000004u);
constexpr RootKeyValue kConfig = Value(0x80000005u);
constexpr RootKeyValue kDynData = Value(0x80000006u);

TEST(ClassifyKeyPath, FormSplitAndRoot)
{
    const struct {
        std::u16string_view path;
        PathKind kind;
        RootKeyValue root;
        std::u16string_view subkey;
    } rows[] = {
        {u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes", PathKind::Root, kMachine, u"SOFTWARE\\Classes"},
        {u"HKEY_LOCAL_MACHINE", PathKind::Root, kMachine, u""},
        {u"HKEY_USERS\\\\X", PathKind::Root, kUsers, u"\\X"}, // only the first separator goes
        {u"HKEY_CURRENT_USER\\", PathKind::Malformed, 0, u""},
        {u"", PathKind::Malformed, 0, u""},
        {u"HKEY", PathKind::Malformed, 0, u""},
        {u"hkey_local_machine\\Software", PathKind::Malformed, 0, u""},
        {u"HKEY_Local_Machine\\Software", PathKind::UnknownRoot, 0, u"Software"},
        {u"HKEY_LOCAL_MACHINE/SOFTWARE", PathKind::UnknownRoot, 0, u""},
        {u"HKEY_DYN_DATA", PathKind::Root, kDynData, u""},
        // The prefix is compared exactly: no trimming, a separator inside it breaks it.
        {u" HKEY_USERS", PathKind::Malformed, 0, u""},
        {u"HKEY\\_USERS", PathKind::Malformed, 0, u""},
        {u"\\", PathKind::Malformed, 0, u""},
        {u"HKEY_USERS\\X\\", PathKind::Malformed, 0, u""},
        {u"HKEY_USERS\\\\", PathKind::Malformed, 0, u""},
        {u"\uFF28KEY_USERS", PathKind::Malformed, 0, u""},
        // Well formed, but the name is none of the seven.
        {u"HKEY_", PathKind::UnknownRoot, 0, u""},
        {u"HKEY_\\X", PathKind::UnknownRoot, 0, u"X"},
        {u"HKEY_USERS ", PathKind::UnknownRoot, 0, u""},
        {u"HKEY_USERSX\\Y", PathKind::UnknownRoot, 0, u"Y"},
        {u"HKEY_USER\\X", PathKind::UnknownRoot, 0, u"X"},
        {u"HKEY_USERS\0\\X"sv, PathKind::UnknownRoot, 0, u"X"},
        {u"HKEY_USERS\uFF3CX", PathKind::UnknownRoot, 0, u""}, // a look-alike does not split
        // The subkey is passed on as it stands, whatever it holds.
        {u"HKEY_CLASSES_ROOT\\a\\b\\c", PathKind::Root, kClasses, u"a\\b\\c"},
        {u"HKEY_CURRENT_USER\\Software", PathKind::Root, kUser, u"Software"},
        {u"HKEY_USERS\\a\0b"sv, PathKind::Root, kUsers, u"a\0b"sv},
        {u"HKEY_PERFORMANCE_DATA\\\xD800", PathKind::Root, kPerformance, u"\xD800"},
        {u"HKEY_CURRENT_CONFIG\\/", PathKind::Root, kConfig, u"/"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(oracle::Printable(row.path));
        const ClassifiedPath got = ClassifyKeyPath(row.path);
        EXPECT_EQ(got.kind, row.kind);
        EXPECT_EQ(got.root, row.root);
        EXPECT_EQ(got.subkey, row.subkey);
        // The subkey is the path's own tail, not a copy.
        if (!got.subkey.empty())
            EXPECT_EQ(got.subkey.data() + got.subkey.size(), row.path.data() + row.path.size());
    }
}

TEST(FindRootKey, ExactWholeNamesOnly)
{
    const struct {
        std::u16string_view name;
        RootKeyValue value;
    } rows[] = {
        {u"HKEY_CLASSES_ROOT", kClasses},
        {u"HKEY_CURRENT_USER", kUser},
        {u"HKEY_LOCAL_MACHINE", kMachine},
        {u"HKEY_USERS", kUsers},
        {u"HKEY_PERFORMANCE_DATA", kPerformance},
        {u"HKEY_CURRENT_CONFIG", kConfig},
        {u"HKEY_DYN_DATA", kDynData},
        {u"", 0},
        {u"HKEY_", 0},
        {u"HKEY_USER", 0},
        {u"HKEY_USERSS", 0},
        {u"hkey_users", 0},
        {u"HKEY_Users", 0},
        {u"HKEY_USERS\0"sv, 0},
        {u"HKEY_USERS\\", 0},
        {u"HKEY_CURRENT_USER\\Software", 0},
        {u"HKEY_DYN_DATA ", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(oracle::Printable(row.name));
        EXPECT_EQ(FindRootKey(row.name), row.value);
    }
}

TEST(MalformedReport, IsTheFixedTextWithTwoLineFeeds)
{
    EXPECT_EQ(kMalformedReport, u"Incorrect Format:\n\n"sv);
}

} // namespace
} // namespace orvane
