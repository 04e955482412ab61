#include "TextTemplate.h"

#include <cwchar>

namespace orvane {
namespace {

const Placeholder* TokenAt(const wchar_t* at, std::span<const Placeholder> placeholders)
{
    for (const Placeholder& placeholder : placeholders) {
        const size_t length = placeholder.token ? std::wcslen(placeholder.token) : 0;
        if (length != 0 && std::wcsncmp(at, placeholder.token, length) == 0)
            return &placeholder;
    }
    return nullptr;
}

// Measures the expansion, and writes it too when out is given.
size_t Substitute(const wchar_t* pattern, std::span<const Placeholder> placeholders,
                  wchar_t* out)
{
    size_t length = 0;
    for (const wchar_t* at = pattern; *at;) {
        const Placeholder* placeholder = *at == L'%' ? TokenAt(at, placeholders) : nullptr;
        if (!placeholder) {
            if (out)
                out[length] = *at;
            ++length;
            ++at;
            continue;
        }
        const size_t textLength = placeholder->text ? placeholder->length : 0;
        if (out && textLength != 0)
            std::wmemcpy(out + length, placeholder->text, textLength);
        length += textLength;
        at += std::wcslen(placeholder->token);
    }
    return length;
}

} // namespace

HRESULT ExpandedText::Expand(const wchar_t* pattern,
                             std::span<const Placeholder> placeholders) noexcept
{
    text_.Reset(0);
    length_ = 0;
    if (!pattern)
        return S_OK;
    const size_t length = Substitute(pattern, placeholders, nullptr);
    if (!text_.Reset(length + 1))
        return E_OUTOFMEMORY;
    Substitute(pattern, placeholders, text_.data());
    text_.data()[length] = L'\0';
    length_ = length;
    return S_OK;
}

} // namespace orvane
