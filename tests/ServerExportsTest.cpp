// The DLL's entry points, class factory and object identity, without registration.
#include "ServerTest.h"

#include <ocidl.h>

namespace {

using ServerExports = ServerDllTest;

TEST_F(ServerExports, FactoryOnlyForOurClass)
{
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(GetClassObject(CLSID_clsRegistry, IID_PPV_ARGS(&factory)), S_OK);
    EXPECT_NE(factory, nullptr);

    const CLSID foreign = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    const CLSID* refused[] = {&foreign, &IID__clsRegistry, &LIBID_Orvane, &GUID_NULL};
    for (const CLSID* clsid : refused) {
        void* object = reinterpret_cast<void*>(1);
        EXPECT_EQ(GetClassObject(*clsid, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(GetClassObject(CLSID_clsRegistry, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(ServerExports, FactoryRefusesAggregationAndNullPointers)
{
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(GetClassObject(CLSID_clsRegistry, IID_PPV_ARGS(&factory)), S_OK);
    ComPtr<IUnknown> outer = NewInstance();
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(outer.Get(), IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID__clsRegistry, nullptr), E_POINTER);
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
}

TEST_F(ServerExports, QueryInterfaceFollowsTheRules)
{
    ComPtr<_clsRegistry> instance = NewInstance();
    ASSERT_NE(instance, nullptr);

    ComPtr<IUnknown> identity;
    ASSERT_EQ(instance.As(&identity), S_OK);
    const IID answered[] = {IID_IUnknown, IID_IDispatch, IID__clsRegistry, IID_IProvideClassInfo};
    for (const IID& iid : answered) {
        ComPtr<IUnknown> asked;
        EXPECT_EQ(instance->QueryInterface(iid, &asked), S_OK);
        ComPtr<IUnknown> back;
        ASSERT_EQ(asked.As(&back), S_OK);
        EXPECT_EQ(back, identity); // one IUnknown, however it is reached
    }
    const IID refused[] = {IID_IClassFactory, IID_IPersist, IID_IMarshal, IID_IConnectionPointContainer,
                           IID_IProvideClassInfo2, CLSID_clsRegistry, LIBID_Orvane};
    for (const IID& iid : refused) {
        void* object = reinterpret_cast<void*>(1);
        EXPECT_EQ(instance->QueryInterface(iid, &object), E_NOINTERFACE);
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(instance->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

TEST_F(ServerExports, CanUnloadOnlyWithoutObjectsOrLocks)
{
    EXPECT_EQ(CanUnloadNow(), S_OK);
    {
        // A factory alone holds the module: its client may create through it later.
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(GetClassObject(CLSID_clsRegistry, IID_PPV_ARGS(&factory)), S_OK);
        EXPECT_EQ(CanUnloadNow(), S_FALSE);
        ComPtr<_clsRegistry> first = NewInstance();
        ComPtr<_clsRegistry> second = NewInstance();
        factory.Reset();
        EXPECT_EQ(CanUnloadNow(), S_FALSE);
        first.Reset();
        EXPECT_EQ(CanUnloadNow(), S_FALSE);
        second.Reset();
        EXPECT_EQ(CanUnloadNow(), S_OK);

        ASSERT_EQ(GetClassObject(CLSID_clsRegistry, IID_PPV_ARGS(&factory)), S_OK);
        EXPECT_EQ(factory->LockServer(TRUE), S_OK);
        EXPECT_EQ(factory->LockServer(TRUE), S_OK);
        factory.Reset();
        EXPECT_EQ(CanUnloadNow(), S_FALSE);
        ASSERT_EQ(GetClassObject(CLSID_clsRegistry, IID_PPV_ARGS(&factory)), S_OK);
        EXPECT_EQ(factory->LockServer(FALSE), S_OK);
        factory.Reset();
        EXPECT_EQ(CanUnloadNow(), S_FALSE);
        ASSERT_EQ(GetClassObject(CLSID_clsRegistry, IID_PPV_ARGS(&factory)), S_OK);
        EXPECT_EQ(factory->LockServer(FALSE), S_OK);
        EXPECT_EQ(CanUnloadNow(), S_FALSE);
    }
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

} // namespace
