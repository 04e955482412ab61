// UTF-16 text in a narrow code page, only where the narrow form names exactly the same
// characters: never cut at U+0000, never an unpaired surrogate, never a default character or
// a look-alike in place of one the code page lacks. Portable and allocation-free.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace orvane {

// Converts to one narrow code page; supplied by the platform.
class NarrowEncoder {
public:
    struct Result {
        std::size_t length; // the bytes the whole text needs (no terminator)
        bool exact;         // false when any character had no exact form, or on failure
    };

    // Converts text (no U+0000, surrogates paired) into out, when length fits in out; with a
    // smaller out it only reports the length.
    virtual Result Encode(std::u16string_view text, std::span<char> out) const noexcept = 0;

protected:
    ~NarrowEncoder() = default;
};

enum class NarrowStatus {
    Exact,    // out holds the text and a terminating NUL
    Inexact,  // the text has no exact narrow form: it must not be used
    TooSmall, // out needs at least `needed` bytes, terminator included
};

struct NarrowResult {
    NarrowStatus status;
    std::size_t needed; // bytes of out used or needed, terminator included
};

// True when text has a high surrogate not followed by a low one, or a low one on its own.
bool HasUnpairedSurrogate(std::u16string_view text) noexcept;

// Text of units 0x01-0x7F alone (the empty text too) is copied as it is, without the encoder.
NarrowResult ConvertExactly(std::u16string_view text, const NarrowEncoder& encoder,
                            std::span<char> out) noexcept;

} // namespace orvane
