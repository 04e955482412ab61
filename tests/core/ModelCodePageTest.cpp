// The code-page models the native suites stand on. The suite under Wine also compares them
// with the platform's own tables, unit by unit.
#include "CodePage1252.h"
#include "Utf8.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

using namespace std::literals;

TEST(CodePage1252Model, Table)
{
    const struct {
        char16_t unit;
        int byte; // -1: the code page has no such character
    } rows[] = {
        {u'\0', 0x00},   {u'A', 0x41},    {u'\\', 0x5C},   {0x7F, 0x7F},    {0x20AC, 0x80},
        {0x201A, 0x82},  {0x0152, 0x8C},  {0x0153, 0x9C},  {0x017E, 0x9E},  {0x0178, 0x9F},
        {0x0081, 0x81},  {0x008D, 0x8D},  {0x008F, 0x8F},  {0x0090, 0x90},  {0x009D, 0x9D},
        {0x00A0, 0xA0},  {0x00E9, 0xE9},  {0x00FF, 0xFF},
        {0x0080, -1},    {0x0082, -1},    {0x009F, -1},    {0x0100, -1},    {0xFF3C, -1},
        {0x2216, -1},    {0xD800, -1},    {0xDC00, -1},    {0xFFFF, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.unit));
        const std::optional<unsigned char> byte = oracle::CodePage1252Byte(row.unit);
        EXPECT_EQ(byte ? *byte : -1, row.byte);
    }
    EXPECT_EQ(oracle::CodePage1252Text(u"a\u20AC\u00E9"), "a\x80\xE9"s);
    EXPECT_EQ(oracle::CodePage1252Text(u"a\u0100"), std::nullopt);
}

TEST(Utf8Model, Table)
{
    const struct {
        std::u16string_view text;
        std::string_view bytes;
    } rows[] = {
        {u"", ""},
        {u"\0"sv, "\0"sv},
        {u"A\x7F", "A\x7F"},
        {u"\u0080\u07FF", "\xC2\x80\xDF\xBF"},
        {u"\u0800\u20AC\uFFFF", "\xE0\xA0\x80\xE2\x82\xAC\xEF\xBF\xBF"},
        {u"\xD800\xDC00\xDBFF\xDFFF", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"},
        // Unpaired surrogates are written as U+FFFD, with no sign of it.
        {u"\xD800" u"a", "\xEF\xBF\xBD" "a"},
        {u"\xDC00\xD800", "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(std::u16string(row.text)));
        EXPECT_EQ(oracle::Utf8Text(row.text), row.bytes);
    }
}

} // namespace
