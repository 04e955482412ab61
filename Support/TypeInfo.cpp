#include "TypeInfo.h"

#include "ModuleTypeLibrary.h"
#include "Orvane.h"

#include <atomic>

namespace orvane {
namespace {

std::atomic<ITypeInfo*> cached[2]{nullptr, nullptr};

HRESULT LoadView(TypeInfoView view, ITypeInfo** typeInfo) noexcept
{
    ITypeLib* library = nullptr;
    HRESULT hr = LoadModuleTypeLibrary(&library);
    if (FAILED(hr))
        return hr;
    hr = library->GetTypeInfoOfGuid(view == TypeInfoView::Class ? CLSID_clsRegistry
                                                                 : IID__clsRegistry,
                                    typeInfo);
    library->Release();
    return hr;
}

} // namespace

HRESULT GetClassTypeInfo(TypeInfoView view, ITypeInfo** typeInfo) noexcept
{
    if (!typeInfo)
        return E_POINTER;
    *typeInfo = nullptr;
    std::atomic<ITypeInfo*>& slot = cached[static_cast<int>(view)];
    ITypeInfo* info = slot.load(std::memory_order_acquire);
    if (!info) {
        const HRESULT hr = LoadView(view, &info);
        if (FAILED(hr))
            return hr;
        // A thread that lost the race uses the winner's copy.
        ITypeInfo* expected = nullptr;
        if (!slot.compare_exchange_strong(expected, info, std::memory_order_acq_rel)) {
            info->Release();
            info = expected;
        }
    }
    info->AddRef();
    *typeInfo = info;
    return S_OK;
}

void ReleaseClassTypeInfo() noexcept
{
    for (std::atomic<ITypeInfo*>& slot : cached) {
        if (ITypeInfo* info = slot.exchange(nullptr))
            info->Release();
    }
}

} // namespace orvane
