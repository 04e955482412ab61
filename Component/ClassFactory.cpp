#include "ClassFactory.h"

#include "Allocator.h"
#include "Module.h"

#include <atomic>

namespace orvane {
namespace {

class ClassFactory final : public IClassFactory, public HeapObject {
public:
    // A live factory keeps the module loaded, as an instance does: its client may create
    // through it at any time.
    explicit ClassFactory(CreateInstanceProc create) noexcept : create_(create) { LockModule(); }
    ~ClassFactory() { UnlockModule(); }
    ClassFactory(const ClassFactory&) = delete;
    ClassFactory& operator=(const ClassFactory&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }

    ULONG STDMETHODCALLTYPE AddRef() override
    {
        return refs_.fetch_add(1, std::memory_order_relaxed) + 1;
    }

    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG refs = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (refs == 0)
            delete this;
        return refs;
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return create_(riid, ppv);
    }

    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        if (lock)
            LockModule();
        else
            UnlockModule();
        return S_OK;
    }

private:
    CreateInstanceProc create_;
    std::atomic<ULONG> refs_{1};
};

} // namespace

HRESULT GetClassFactory(const CreatableClass* classes, size_t count, REFCLSID clsid, REFIID riid,
                        void** ppv) noexcept
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    for (size_t i = 0; i < count; ++i) {
        if (*classes[i].clsid != clsid)
            continue;
        ClassFactory* factory = new ClassFactory(classes[i].create);
        if (!factory)
            return E_OUTOFMEMORY;
        const HRESULT hr = factory->QueryInterface(riid, ppv);
        factory->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

} // namespace orvane
