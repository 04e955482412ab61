// UTF-16 text in the ANSI code page, converted only when the conversion is exact.
#pragma once

#include "Allocator.h"

#include <windows.h>

#include <array>
#include <string_view>

namespace orvane {

class ExactAnsi {
public:
    // Converts text to a NUL-terminated ANSI string: S_OK, or S_FALSE, leaving nothing
    // usable, when the text holds U+0000 or any character that the code page has no exact
    // form for (no '?', no best-fit look-alikes, no unpaired surrogates); E_OUTOFMEMORY.
    HRESULT Assign(std::wstring_view text) noexcept;

    const char* c_str() const noexcept { return text_; }

private:
    // Registry paths are short; the heap is only for long ones.
    std::array<char, 256> inline_; // written before it is read
    HeapArray<char> heap_;
    const char* text_ = inline_.data();
};

} // namespace orvane
