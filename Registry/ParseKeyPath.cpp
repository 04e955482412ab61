#include "clsRegistry.h"

#include "MessageBoxAccess.h"
#include "RootKeys.h"

#include <string>

namespace {

constexpr std::wstring_view kPrefix = L"HKEY_";
constexpr wchar_t kSeparator = L'\\';

} // namespace

// Splits "ROOT\subkey" at its first separator: hRoot gets ROOT's value (0 when it is not a
// root-key name) and sPath the rest. A path that does not start with the prefix, or that
// ends in a separator, is reported to the user and leaves sPath as it was and hRoot 0.
void clsRegistry::ParseKeyPath(std::wstring_view& sPath, LONG& hRoot)
{
    if (sPath.substr(0, kPrefix.size()) != kPrefix ||
        (!sPath.empty() && sPath.back() == kSeparator)) {
        hRoot = 0;
        std::wstring text = L"Incorrect Format:\n\n";
        text.append(sPath);
        orvane::ShowUserMessage(text.c_str());
        return;
    }

    const size_t separator = sPath.find(kSeparator);
    if (separator == std::wstring_view::npos) {
        hRoot = GetRootKey(sPath);
        sPath = {};
    } else {
        hRoot = GetRootKey(sPath.substr(0, separator));
        sPath.remove_prefix(separator + 1);
    }
}

LONG clsRegistry::GetRootKey(std::wstring_view sName) const noexcept
{
    for (const orvane::RootKey& root : orvane::kRootKeys) {
        if (root.name == sName)
            return root.value;
    }
    return 0;
}
