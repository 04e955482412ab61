// The type information of _clsRegistry, from the type library inside this module. Loaded
// once, without registering anything, so late binding works whether or not the library is
// registered.
#pragma once

#include <oaidl.h>

namespace orvane {

enum class TypeInfoView {
    Dispatch, // what IDispatch::GetTypeInfo hands out
    Class,    // the coclass, what IProvideClassInfo hands out
};

HRESULT GetClassTypeInfo(TypeInfoView view, ITypeInfo** typeInfo) noexcept;

// Drops the cached type information (the module is being unloaded).
void ReleaseClassTypeInfo() noexcept;

} // namespace orvane
