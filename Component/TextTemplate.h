// Texts with placeholders (such as %CLSID%) that are filled in when they are used, so that
// tables of them can be constant data.
#pragma once

#include "Allocator.h"

#include <windows.h>

#include <cstddef>
#include <span>

namespace orvane {

struct Placeholder {
    const wchar_t* token; // with its delimiters, as it appears in a template: L"%CLSID%"
    const wchar_t* text;  // what replaces it; need not be terminated
    size_t length;
    bool file = false; // text is a file's path, which other spellings name too
};

// A template with its placeholders replaced, in a buffer of its own.
class ExpandedText {
public:
    // Replaces each token once, left to right; the texts put in are not searched again. A
    // '%' that starts no token stays as it is. E_OUTOFMEMORY leaves the text empty.
    HRESULT Expand(const wchar_t* pattern, std::span<const Placeholder> placeholders) noexcept;

    const wchar_t* get() const noexcept { return text_.data() ? text_.data() : L""; }
    size_t size() const noexcept { return length_; }

private:
    HeapArray<wchar_t> text_;
    size_t length_ = 0;
};

} // namespace orvane
