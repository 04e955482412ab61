#include "ExactNarrow.h"

namespace orvane {
namespace {

constexpr bool IsHighSurrogate(char16_t unit) noexcept { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char16_t unit) noexcept { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Units 0x01-0x7F are the same bytes in every ANSI code page.
constexpr bool IsPlainAscii(char16_t unit) noexcept { return unsigned(unit) - 1u < 0x7Fu; }

bool IsPlainAscii(std::u16string_view text) noexcept
{
    for (char16_t unit : text) {
        if (!IsPlainAscii(unit))
            return false;
    }
    return true;
}

// Copies text into out (which has room for it and a NUL) while it is plain ASCII; false,
// with out spoiled, at the first unit that is not.
bool CopyPlainAscii(std::u16string_view text, std::span<char> out) noexcept
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsPlainAscii(text[i]))
            return false;
        out[i] = static_cast<char>(text[i]);
    }
    out[text.size()] = '\0';
    return true;
}

} // namespace

bool HasUnpairedSurrogate(std::u16string_view text) noexcept
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
            ++i;
        else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i]))
            return true;
    }
    return false;
}

NarrowResult ConvertExactly(std::u16string_view text, const NarrowEncoder& encoder,
                            std::span<char> out) noexcept
{
    const bool fits = text.size() < out.size();
    if (fits ? CopyPlainAscii(text, out) : IsPlainAscii(text))
        return {fits ? NarrowStatus::Exact : NarrowStatus::TooSmall, text.size() + 1};

    // U+0000 would end the narrow text early, and an unpaired surrogate stands for no
    // character at all: either would name another key.
    if (text.find(u'\0') != std::u16string_view::npos || HasUnpairedSurrogate(text))
        return {NarrowStatus::Inexact, 0};
    const std::span<char> room = out.empty() ? out : out.first(out.size() - 1);
    const NarrowEncoder::Result encoded = encoder.Encode(text, room);
    if (!encoded.exact || encoded.length == 0)
        return {NarrowStatus::Inexact, 0};
    if (encoded.length > room.size())
        return {NarrowStatus::TooSmall, encoded.length + 1};
    out[encoded.length] = '\0';
    return {NarrowStatus::Exact, encoded.length + 1};
}

} // namespace orvane
