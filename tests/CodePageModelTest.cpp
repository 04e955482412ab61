// The code-page models the native suites use in place of Windows' tables, compared with the
// platform's own conversion for every UTF-16 code unit.
#include "CodePage1252.h"
#include "Utf8.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CodePageModel, Western1252IsThePlatformsTableWithoutBestFit)
{
    int differences = 0;
    for (unsigned unit = 0; unit <= 0xFFFF && differences < 10; ++unit) {
        const wchar_t wide = static_cast<wchar_t>(unit);
        char byte = 0;
        BOOL usedDefault = FALSE;
        const int written = WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, &wide, 1, &byte, 1,
                                                nullptr, &usedDefault);
        ASSERT_EQ(written, 1) << std::hex << unit;
        const std::optional<unsigned char> model = oracle::CodePage1252Byte(static_cast<char16_t>(unit));
        const bool same = model ? !usedDefault && static_cast<unsigned char>(byte) == *model
                                : usedDefault;
        if (!same) {
            ++differences;
            ADD_FAILURE() << "U+" << std::hex << unit << ": the platform gives "
                          << (usedDefault ? "its default character" : "a byte") << " 0x"
                          << static_cast<unsigned>(static_cast<unsigned char>(byte));
        }
    }
}

TEST(CodePageModel, Utf8IsThePlatformsConversion)
{
    std::u16string units;
    for (unsigned unit = 0; unit <= 0xFFFF; ++unit) {
        units = static_cast<char16_t>(unit);
        // Each unit alone, then as the high half of a pair and before a plain character.
        for (const std::u16string& text : {units, units + u'\xDC00', units + u'a'}) {
            const std::wstring wide(text.begin(), text.end());
            char bytes[16];
            const int written = WideCharToMultiByte(CP_UTF8, 0, wide.data(),
                                                    static_cast<int>(wide.size()), bytes,
                                                    sizeof bytes, nullptr, nullptr);
            ASSERT_GT(written, 0) << std::hex << unit;
            ASSERT_EQ(oracle::Utf8Text(text), std::string(bytes, static_cast<size_t>(written)))
                << "U+" << std::hex << unit << " in a text of " << text.size() << " units";
        }
    }
}

} // namespace
