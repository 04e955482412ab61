#include "clsRegistry.h"

#include "KeyPath.h"
#include "MessageBoxAccess.h"
#include "RootKeys.h"

#include <string>

// Splits "ROOT\subkey" at its first separator: hRoot gets ROOT's value (0 when it is not a
// root-key name) and sPath the rest. A path that does not start with the prefix, or that
// ends in a separator, is reported to the user and leaves sPath as it was and hRoot 0.
// Works on its parameters alone, so a call that re-enters while the box is up changes
// nothing this one decides.
void clsRegistry::ParseKeyPath(std::wstring_view& sPath, LONG& hRoot)
{
    const orvane::ClassifiedPath path = orvane::ClassifyKeyPath(orvane::AsUtf16(sPath));
    if (path.kind == orvane::PathKind::Malformed) {
        hRoot = 0;
        std::wstring text(orvane::AsWide(orvane::kMalformedReport));
        text.append(sPath);
        orvane::ShowUserMessage(text.c_str());
        return;
    }
    hRoot = path.root;
    sPath = orvane::AsWide(path.subkey);
}

LONG clsRegistry::GetRootKey(std::wstring_view sName) const noexcept
{
    return orvane::FindRootKey(orvane::AsUtf16(sName));
}
