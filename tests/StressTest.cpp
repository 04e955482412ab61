// Many apartments at once, and a call from another apartment through a marshalled pointer.
#include "ServerTest.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

struct KeyCase {
    const wchar_t* path;
    VARIANT_BOOL answer;
};

const KeyCase kMix[] = {
    {L"HKEY_LOCAL_MACHINE\\SOFTWARE", VARIANT_TRUE},
    {L"HKEY_CURRENT_USER", VARIANT_TRUE},
    {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\OrvaneNoSuchKey", VARIANT_FALSE},
    {L"HKEY_NOWHERE\\X", VARIANT_FALSE},
    {L"HKEY_local_machine\\SOFTWARE", VARIANT_FALSE},
};

using Stress = ServerDllTest;

TEST_F(Stress, ApartmentThreadsEachWithTheirOwnInstances)
{
    constexpr int kThreads = 6;
    constexpr int kCallsPerThread = 2000;
    std::atomic<int> wrong{0};
    std::atomic<int> failed{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
                ++failed;
                return;
            }
            {
                ComPtr<_clsRegistry> probe;
                for (int i = 0; i < kCallsPerThread; ++i) {
                    if (i % 50 == 0)
                        probe = NewInstance(); // fresh instances now and then
                    const KeyCase& c = kMix[(i + t) % std::size(kMix)];
                    orvane::UniqueBstr key = Bstr(c.path);
                    VARIANT_BOOL answer = 0x5A5A;
                    if (!probe || probe->KeyExist(key.get(), &answer) != S_OK)
                        ++failed;
                    else if (answer != c.answer)
                        ++wrong;
                }
            }
            CoUninitialize();
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

// The instance lives in this thread's apartment; another apartment calls it through a
// proxy built from the registered type library, while this thread pumps messages.
TEST_F(Stress, CallsThroughAMarshalledPointerAnswerTheSame)
{
    ASSERT_EQ(RegisterServer(), S_OK);
    ComPtr<_clsRegistry> probe;
    ASSERT_EQ(CoCreateInstance(CLSID_clsRegistry, nullptr, CLSCTX_INPROC_SERVER,
                               IID_PPV_ARGS(&probe)),
              S_OK);
    ComPtr<IStream> stream;
    ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IID__clsRegistry, probe.Get(), &stream), S_OK);

    std::vector<HRESULT> results;
    std::vector<VARIANT_BOOL> answers;
    bool proxied = false;
    std::atomic<bool> done{false};
    const DWORD owner = GetCurrentThreadId();
    std::thread caller([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        {
            ComPtr<_clsRegistry> remote;
            if (SUCCEEDED(CoGetInterfaceAndReleaseStream(stream.Detach(), IID__clsRegistry,
                                                         reinterpret_cast<void**>(remote.GetAddressOf())))) {
                proxied = remote.Get() != probe.Get();
                for (const KeyCase& c : kMix) {
                    orvane::UniqueBstr key = Bstr(c.path);
                    VARIANT_BOOL answer = 0x5A5A;
                    results.push_back(remote->KeyExist(key.get(), &answer));
                    answers.push_back(answer);
                }
            }
        }
        CoUninitialize();
        done = true;
        PostThreadMessageW(owner, WM_NULL, 0, 0);
    });
    while (!done) {
        MSG message;
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0) {
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&message);
        }
    }
    caller.join();

    EXPECT_TRUE(proxied);
    ASSERT_EQ(results.size(), std::size(kMix));
    for (size_t i = 0; i < results.size(); ++i) {
        SCOPED_TRACE(testing::Message() << std::wstring(kMix[i].path));
        EXPECT_EQ(results[i], S_OK);
        EXPECT_EQ(answers[i], kMix[i].answer);
    }
    probe.Reset();
    EXPECT_EQ(UnregisterServer(), S_OK);
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

} // namespace
