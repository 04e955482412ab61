// The class factory: one object per request, creating instances through a creator function.
#pragma once

#include <unknwn.h>

namespace orvane {

using CreateInstanceProc = HRESULT (*)(REFIID riid, void** ppv) noexcept;

struct CreatableClass {
    const CLSID* clsid;
    CreateInstanceProc create;
};

// The factory for clsid from classes, as the interface riid; CLASS_E_CLASSNOTAVAILABLE for
// a class that is not there.
HRESULT GetClassFactory(const CreatableClass* classes, size_t count, REFCLSID clsid, REFIID riid,
                        void** ppv) noexcept;

} // namespace orvane
