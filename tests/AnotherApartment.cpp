#include "AnotherApartment.h"

#include "Handles.h"
#include "Thread.h"

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <atomic>

using Microsoft::WRL::ComPtr;

RemoteAnswers AskFromAnotherApartment(_clsRegistry* object, HANDLE context)
{
    RemoteAnswers remoteAnswers;
    IStream* stream = nullptr;
    remoteAnswers.unmarshalled =
        CoMarshalInterThreadInterfaceInStream(IID__clsRegistry, object, &stream);
    if (FAILED(remoteAnswers.unmarshalled))
        return remoteAnswers;

    std::atomic<bool> done{false};
    const DWORD owner = GetCurrentThreadId();
    Thread caller([&] {
        ULONG_PTR cookie = 0;
        const bool active = context && ActivateActCtx(context, &cookie);
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        {
            ComPtr<_clsRegistry> remote;
            remoteAnswers.unmarshalled = CoGetInterfaceAndReleaseStream(
                stream, IID__clsRegistry, reinterpret_cast<void**>(remote.GetAddressOf()));
            if (SUCCEEDED(remoteAnswers.unmarshalled)) {
                remoteAnswers.proxied = remote.Get() != object;
                for (const KeyCase& key : kKnownKeys) {
                    orvane::UniqueBstr path = orvane::MakeBstr(key.path);
                    VARIANT_BOOL answer = 0x5A5A;
                    remoteAnswers.results.push_back(remote->KeyExist(path.get(), &answer));
                    remoteAnswers.answers.push_back(answer);
                }
            }
        }
        CoUninitialize();
        if (active)
            DeactivateActCtx(0, cookie);
        done = true;
        PostThreadMessageW(owner, WM_NULL, 0, 0);
    });
    while (!done) {
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&message);
        }
    }
    caller.join();
    return remoteAnswers;
}

void ExpectKnownAnswers(const RemoteAnswers& remote)
{
    ASSERT_EQ(remote.unmarshalled, S_OK);
    EXPECT_TRUE(remote.proxied);
    ASSERT_EQ(remote.results.size(), std::size(kKnownKeys));
    for (size_t i = 0; i < remote.results.size(); ++i) {
        SCOPED_TRACE(testing::Message() << std::wstring(kKnownKeys[i].path));
        EXPECT_EQ(remote.results[i], S_OK);
        EXPECT_EQ(remote.answers[i], kKnownKeys[i].answer);
    }
}
