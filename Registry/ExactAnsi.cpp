#include "ExactAnsi.h"

#include <windows.h>

#include <climits>

namespace orvane {

bool ExactAnsi::Assign(std::wstring_view text)
{
    text_ = inline_.data();
    inline_[0] = '\0';
    if (text.empty())
        return true;
    if (text.find(L'\0') != std::wstring_view::npos || text.size() > INT_MAX / 4)
        return false;

    // Under a UTF-8 code page the best-fit and default-character options are refused;
    // there every character has an exact form except unpaired surrogates.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int length = static_cast<int>(text.size());

    int written = WideCharToMultiByte(CP_ACP, flags, text.data(), length, inline_.data(),
                                      static_cast<int>(inline_.size() - 1), nullptr,
                                      usedDefaultOut);
    if (written > 0) {
        inline_[written] = '\0';
    } else {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return false;
        usedDefault = FALSE;
        const int needed = WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0,
                                               nullptr, usedDefaultOut);
        if (needed <= 0)
            return false;
        heap_.assign(static_cast<size_t>(needed), '\0');
        written = WideCharToMultiByte(CP_ACP, flags, text.data(), length, heap_.data(), needed,
                                      nullptr, usedDefaultOut);
        if (written != needed)
            return false;
        text_ = heap_.c_str();
    }
    return !usedDefault;
}

} // namespace orvane
