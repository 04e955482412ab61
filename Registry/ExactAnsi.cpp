#include "ExactAnsi.h"

#include "ExactNarrow.h"
#include "RootKeys.h"

#include <windows.h>

#include <climits>

namespace orvane {
namespace {

// WideCharToMultiByte into the ANSI code page, with no best-fit substitutes; a default
// character used marks the result inexact.
class AnsiEncoder final : public NarrowEncoder {
public:
    Result Encode(std::u16string_view text, std::span<char> out) const noexcept override
    {
        if (text.size() > INT_MAX / 4 || out.size() > INT_MAX)
            return {0, false};
        // Under a UTF-8 code page the best-fit and default-character options are refused;
        // there every character has an exact form (surrogates are paired by now).
        const bool utf8 = GetACP() == CP_UTF8;
        const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
        BOOL usedDefault = FALSE;
        BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
        const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
        const int length = static_cast<int>(text.size());

        int written = out.empty() ? 0
                                  : WideCharToMultiByte(CP_ACP, flags, wide, length, out.data(),
                                                        static_cast<int>(out.size()), nullptr,
                                                        usedDefaultOut);
        if (written > 0)
            return {static_cast<std::size_t>(written), !usedDefault};
        if (!out.empty() && GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return {0, false};
        written = WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, nullptr,
                                      usedDefaultOut);
        return {static_cast<std::size_t>(written > 0 ? written : 0), written > 0 && !usedDefault};
    }
};

} // namespace

HRESULT ExactAnsi::Assign(std::wstring_view text) noexcept
{
    const AnsiEncoder encoder;
    text_ = inline_.data();
    NarrowResult result = ConvertExactly(AsUtf16(text), encoder, inline_);
    if (result.status == NarrowStatus::TooSmall) {
        if (!heap_.Reset(result.needed))
            return E_OUTOFMEMORY;
        result = ConvertExactly(AsUtf16(text), encoder, {heap_.data(), heap_.size()});
        text_ = heap_.data();
    }
    return result.status == NarrowStatus::Exact ? S_OK : S_FALSE;
}

} // namespace orvane
