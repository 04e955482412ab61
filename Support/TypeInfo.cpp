#include "TypeInfo.h"

#include "Module.h"
#include "Orvane.h"

#include <atomic>
#include <new>

namespace orvane {
namespace {

std::atomic<ITypeInfo*> cached[2]{nullptr, nullptr};

HRESULT LoadView(TypeInfoView view, ITypeInfo** typeInfo)
{
    UniqueBstr path;
    HRESULT hr = ThisModulePath(path);
    if (FAILED(hr))
        return hr;
    ITypeLib* library = nullptr;
    hr = LoadTypeLibEx(path.get(), REGKIND_NONE, &library);
    if (FAILED(hr))
        return hr;
    ITypeInfo* dispatch = nullptr;
    hr = library->GetTypeInfoOfGuid(IID__clsRegistry, &dispatch);
    library->Release();
    if (FAILED(hr) || view == TypeInfoView::Dispatch) {
        *typeInfo = dispatch;
        return hr;
    }
    HREFTYPE vtableView = 0;
    hr = dispatch->GetRefTypeOfImplType(-1, &vtableView);
    if (SUCCEEDED(hr))
        hr = dispatch->GetRefTypeInfo(vtableView, typeInfo);
    dispatch->Release();
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
        HRESULT hr;
        try {
            hr = LoadView(view, &info);
        } catch (const std::bad_alloc&) {
            hr = E_OUTOFMEMORY;
        }
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
