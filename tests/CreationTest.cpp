// Making the component's objects in this process: out of memory and NULL out-pointers give
// the documented statuses and leave nothing half made.
#include "AllocationFailure.h"
#include "ClassFactory.h"
#include "Module.h"
#include "clsRegistry.h"

#include <gtest/gtest.h>
#include <wrl/client.h>

namespace {

using Microsoft::WRL::ComPtr;

constexpr orvane::CreatableClass kClasses[] = {{&CLSID_clsRegistry, &clsRegistry::CreateInstance}};

HRESULT GetFactory(void** ppv)
{
    return orvane::GetClassFactory(kClasses, 1, CLSID_clsRegistry, IID_IClassFactory, ppv);
}

TEST(Creation, OutOfMemoryMakesNothing)
{
    const struct {
        const char* what;
        HRESULT (*make)(void** ppv);
    } makers[] = {
        {"class factory", &GetFactory},
        {"instance", [](void** ppv) { return clsRegistry::CreateInstance(IID__clsRegistry, ppv); }},
    };
    for (const auto& maker : makers) {
        SCOPED_TRACE(maker.what);
        void* made = reinterpret_cast<void*>(0x5A5A);
        HRESULT hr;
        {
            FailNextAllocation failure;
            hr = maker.make(&made);
            EXPECT_TRUE(failure.Triggered());
        }
        EXPECT_EQ(hr, E_OUTOFMEMORY);
        EXPECT_EQ(made, nullptr);
        EXPECT_FALSE(orvane::ModuleInUse());
    }
}

TEST(Creation, NullOutPointersAreRefused)
{
    EXPECT_EQ(GetFactory(nullptr), E_POINTER);
    EXPECT_EQ(clsRegistry::CreateInstance(IID__clsRegistry, nullptr), E_POINTER);

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(GetFactory(&factory), S_OK);
    EXPECT_EQ(factory->QueryInterface(IID_IClassFactory, nullptr), E_POINTER);
    ComPtr<_clsRegistry> probe;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&probe)), S_OK);
    EXPECT_EQ(probe->GetTypeInfo(0, 0, nullptr), E_POINTER);
    EXPECT_EQ(probe->GetTypeInfoCount(nullptr), E_POINTER);
    ComPtr<IProvideClassInfo> classInfo;
    ASSERT_EQ(probe.As(&classInfo), S_OK);
    EXPECT_EQ(classInfo->GetClassInfo(nullptr), E_POINTER);
}

} // namespace
