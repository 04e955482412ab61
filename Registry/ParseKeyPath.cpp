#include "clsRegistry.h"

#include "Allocator.h"
#include "KeyPath.h"
#include "MessageBoxAccess.h"
#include "RootKeys.h"

#include <climits>
#include <cwchar>

// Splits "ROOT\subkey" at its first separator: hRoot gets ROOT's value (0 when it is not a
// root-key name) and sPath the rest. A path that does not start with the prefix, or that
// ends in a separator, is reported to the user (whole, U+0000 made visible) and leaves sPath
// as it was and hRoot 0.
// Works on its parameters alone, so a call that re-enters while the box is up changes
// nothing this one decides. Fails only when the report's text finds no memory.
HRESULT clsRegistry::ParseKeyPath(std::wstring_view& sPath, LONG& hRoot) noexcept
{
    const orvane::ClassifiedPath path = orvane::ClassifyKeyPath(orvane::AsUtf16(sPath));
    if (path.kind != orvane::PathKind::Malformed) {
        hRoot = path.root;
        sPath = orvane::AsWide(path.subkey);
        return S_OK;
    }

    hRoot = 0;
    const std::wstring_view report = orvane::AsWide(orvane::kMalformedReport);
    orvane::HeapArray<wchar_t> text;
    if (sPath.size() > INT_MAX || !text.Reset(report.size() + sPath.size() + 1))
        return E_OUTOFMEMORY;
    std::wmemcpy(text.data(), report.data(), report.size());
    wchar_t* shown = text.data() + report.size();
    for (size_t i = 0; i < sPath.size(); ++i)
        shown[i] = sPath[i] == L'\0' ? static_cast<wchar_t>(orvane::kShownNul) : sPath[i];
    text.data()[report.size() + sPath.size()] = L'\0';
    orvane::ShowUserMessage(text.data());
    return S_OK;
}

LONG clsRegistry::GetRootKey(std::wstring_view sName) const noexcept
{
    return orvane::FindRootKey(orvane::AsUtf16(sName));
}
