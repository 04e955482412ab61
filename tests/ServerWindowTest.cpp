// A late-bound client's malformed path brings up the real box; the call waits for OK.
#include "BoxWatcher.h"
#include "Identity.h"
#include "ServerTest.h"

namespace {

using ServerWindow = ServerDllTest;

TEST_F(ServerWindow, MalformedPathWaitsForTheUser)
{
    ComPtr<IDispatch> object = NewInstance();
    const std::wstring path = L"hkey_local_machine\\SOFTWARE";
    orvane::UniqueBstr key = Bstr(path);
    VARIANT argument{};
    argument.vt = VT_BSTR;
    argument.bstrVal = key.get();
    DISPPARAMS params{&argument, nullptr, 1, 0};
    VARIANT result{};
    HRESULT hr = E_UNEXPECTED;

    const SeenBox seen = CallAndDismissBox([&] {
        hr = object->Invoke(ORVANE_DISPID_KEYEXIST, IID_NULL, LOCALE_USER_DEFAULT,
                            DISPATCH_METHOD, &params, &result, nullptr, nullptr);
    });

    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(result.vt, VT_BOOL);
    EXPECT_EQ(result.boolVal, VARIANT_FALSE);
    if (!seen.found) {
        ASSERT_FALSE(DisplayRequired()) << "no box came up on the test display";
        GTEST_SKIP() << "no display: the box could not be shown";
    }
    ExpectIncorrectFormatBox(seen, path);
}

} // namespace
