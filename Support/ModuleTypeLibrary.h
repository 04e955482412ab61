// The type library inside this module, loaded from the module's own file without
// registering anything.
#pragma once

#include <oaidl.h>

namespace orvane {

// Loads from the module's full path, and when that fails from the path's short form:
// LoadTypeLibEx refuses paths longer than MAX_PATH on some systems, and the short form of a
// deep folder usually fits.
HRESULT LoadModuleTypeLibrary(ITypeLib** library) noexcept;

} // namespace orvane
