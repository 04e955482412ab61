#include "CodePage1252.h"

namespace oracle {
namespace {

// Bytes 0x80 to 0x9F. The five bytes the code page leaves undefined stand for the C1
// controls of the same number, as Windows' table has them.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

} // namespace

std::optional<unsigned char> CodePage1252Byte(char16_t unit)
{
    // Below 0x80 and from 0xA0 to 0xFF the code page is Latin-1.
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<unsigned char>(unit);
    for (unsigned byte = 0; byte < 32; ++byte) {
        if (kHighControls[byte] == unit)
            return static_cast<unsigned char>(0x80 + byte);
    }
    return std::nullopt;
}

std::optional<std::string> CodePage1252Text(std::u16string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (char16_t unit : text) {
        const std::optional<unsigned char> byte = CodePage1252Byte(unit);
        if (!byte)
            return std::nullopt;
        bytes += static_cast<char>(*byte);
    }
    return bytes;
}

} // namespace oracle
