#include "ModuleTypeLibrary.h"

#include "ModulePath.h"

#include <oleauto.h>

namespace orvane {

HRESULT LoadModuleTypeLibrary(ITypeLib** library) noexcept
{
    if (!library)
        return E_POINTER;
    *library = nullptr;
    ModulePath path;
    HRESULT hr = path.LoadFull();
    if (FAILED(hr))
        return hr;
    hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library);
    if (SUCCEEDED(hr))
        return hr;

    // Only a different spelling of the path is worth a second try; otherwise the first
    // failure is the answer.
    ModulePath shortPath;
    if (FAILED(shortPath.LoadShort()) ||
        CompareStringOrdinal(path.c_str(), -1, shortPath.c_str(), -1, FALSE) == CSTR_EQUAL)
        return hr;
    return LoadTypeLibEx(shortPath.c_str(), REGKIND_NONE, library);
}

} // namespace orvane
