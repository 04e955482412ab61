// Late-bound calls a careless client makes: missing arrays, counts without them, and
// references to nothing. Each gets a status, nothing reaches the registry, nothing crashes.
#include "Allocator.h"
#include "Identity.h"
#include "ProbeFakes.h"
#include "ProbeTest.h"
#include "Thread.h"
#include "TypeInfo.h"

namespace {

constexpr DISPID kKeyExist = ORVANE_DISPID_KEYEXIST;

TEST(DispatchEdges, NamesWithoutArraysAreRefused)
{
    ComPtr<_clsRegistry> probe = NewProbe();
    LPOLESTR name[] = {const_cast<LPOLESTR>(L"" ORVANE_METHOD_NAME)};
    DISPID id = 0x5A5A;
    const struct {
        LPOLESTR* names;
        UINT count;
        DISPID* ids;
    } calls[] = {
        {nullptr, 0, nullptr}, {name, 0, &id}, {nullptr, 1, &id}, {name, 1, nullptr}, {nullptr, 0, &id},
    };
    for (const auto& call : calls) {
        SCOPED_TRACE(testing::Message() << call.names << " " << call.count << " " << call.ids);
        EXPECT_EQ(probe->GetIDsOfNames(IID_NULL, call.names, call.count, 0, call.ids), E_INVALIDARG);
        EXPECT_EQ(id, 0x5A5A);
    }
    // A missing name among present ones is unknown.
    LPOLESTR names[] = {name[0], nullptr};
    DISPID ids[] = {0, 0};
    EXPECT_EQ(probe->GetIDsOfNames(IID_NULL, names, 2, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], kKeyExist);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);
    names[0] = nullptr;
    EXPECT_EQ(probe->GetIDsOfNames(IID_NULL, names, 1, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_UNKNOWN);
}

TEST(DispatchEdges, CallsWithoutArraysAreRefused)
{
    FakeRegistry registry;
    FakeMessageBox box;
    ComPtr<_clsRegistry> probe = NewProbe();
    VARIANT key;
    VariantInit(&key);
    DISPID named = 0;
    const struct {
        const char* what;
        DISPPARAMS params;
    } calls[] = {
        {"an argument without rgvarg", {nullptr, nullptr, 1, 0}},
        {"a named argument without rgdispidNamedArgs", {&key, nullptr, 1, 1}},
        {"neither array", {nullptr, nullptr, 1, 1}},
        {"more named than arguments", {&key, &named, 0, 1}},
    };
    for (const auto& call : calls) {
        SCOPED_TRACE(call.what);
        DISPPARAMS params = call.params;
        VARIANT result;
        VariantInit(&result);
        UINT argErr = 99;
        EXPECT_EQ(probe->Invoke(kKeyExist, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, &argErr),
                  E_INVALIDARG);
        EXPECT_EQ(result.vt, VT_EMPTY);
        EXPECT_EQ(argErr, 99u);
    }
    EXPECT_EQ(probe->Invoke(kKeyExist, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              E_INVALIDARG);
    EXPECT_TRUE(registry.opens.empty());
    EXPECT_TRUE(box.shown.empty());
}

TEST(DispatchEdges, ReferencesToNothingAreTheArgumentsFault)
{
    FakeRegistry registry;
    FakeMessageBox box;
    ComPtr<_clsRegistry> probe = NewProbe();
    for (int type : {+VT_BSTR, +VT_VARIANT, +VT_I4, +VT_DISPATCH, +VT_UNKNOWN, VT_ARRAY | VT_VARIANT}) {
        for (bool inVariant : {false, true}) {
            SCOPED_TRACE(testing::Message() << type << (inVariant ? " in a variant" : ""));
            VARIANT nothing;
            VariantInit(&nothing);
            nothing.vt = static_cast<VARTYPE>(type | VT_BYREF);
            nothing.byref = nullptr;
            VARIANT outer;
            VariantInit(&outer);
            outer.vt = VT_VARIANT | VT_BYREF;
            outer.pvarVal = &nothing;
            DISPPARAMS params{inVariant ? &outer : &nothing, nullptr, 1, 0};
            VARIANT result;
            VariantInit(&result);
            UINT argErr = 99;
            EXPECT_EQ(probe->Invoke(kKeyExist, IID_NULL, 0, DISPATCH_METHOD, &params, &result,
                                    nullptr, &argErr),
                      DISP_E_TYPEMISMATCH);
            EXPECT_EQ(argErr, 0u);
            EXPECT_EQ(result.vt, VT_EMPTY);
        }
    }
    EXPECT_TRUE(registry.opens.empty());
    EXPECT_TRUE(box.shown.empty());
}

// Two first calls for the type information at once: the one that loses the race to cache it
// gives its own reference back, so that the cached one is the last reference left. The
// loser is held in its first allocation until the winner has cached its copy; the type
// library cache then hands both the same object.
HANDLE loserWaits = nullptr;
HANDLE winnerDone = nullptr;
DWORD loserThread = 0;
void* HoldingAllocate(std::size_t bytes) noexcept
{
    if (GetCurrentThreadId() == loserThread && loserWaits) {
        SetEvent(std::exchange(loserWaits, nullptr));
        WaitForSingleObject(winnerDone, 10000);
    }
    return HeapAlloc(GetProcessHeap(), 0, bytes);
}
void ProcessHeapFree(void* block) noexcept
{
    HeapFree(GetProcessHeap(), 0, block);
}

TEST(DispatchEdges, RacingFirstTypeInfoCallsKeepOneReference)
{
    orvane::ReleaseClassTypeInfo();
    HANDLE waiting = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    winnerDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    loserWaits = waiting;
    orvane::Allocator holding{&HoldingAllocate, &ProcessHeapFree};
    orvane::AllocatorSeam::Replace(&holding);
    ITypeInfo* lost = nullptr;
    ITypeInfo* won = nullptr;
    HRESULT lostHr = E_FAIL;
    {
        Thread loser([&] {
            loserThread = GetCurrentThreadId();
            lostHr = orvane::GetClassTypeInfo(orvane::TypeInfoView::Dispatch, &lost);
        });
        ASSERT_EQ(WaitForSingleObject(waiting, 10000), WAIT_OBJECT_0);
        EXPECT_EQ(orvane::GetClassTypeInfo(orvane::TypeInfoView::Dispatch, &won), S_OK);
        SetEvent(winnerDone);
    }
    orvane::AllocatorSeam::Replace(nullptr);
    CloseHandle(waiting);
    CloseHandle(winnerDone);
    ASSERT_EQ(lostHr, S_OK);
    ASSERT_EQ(lost, won);
    orvane::ReleaseClassTypeInfo();
    orvane::ReleaseClassTypeInfo(); // nothing left to release
    EXPECT_EQ(won->Release(), 1u);
    EXPECT_EQ(lost->Release(), 0u);
}

} // namespace
