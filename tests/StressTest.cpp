// Many apartments at once, and a call from another apartment through a marshalled pointer.
#include "AnotherApartment.h"
#include "ServerTest.h"
#include "Thread.h"

#include <atomic>
#include <string>
#include <vector>

namespace {

using Stress = ServerDllTest;

TEST_F(Stress, ApartmentThreadsEachWithTheirOwnInstances)
{
    constexpr int kThreads = 6;
    constexpr int kCallsPerThread = 2000;
    std::atomic<int> wrong{0};
    std::atomic<int> failed{0};
    std::vector<Thread> threads;
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
                    const KeyCase& c = kKnownKeys[(i + t) % std::size(kKnownKeys)];
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
    for (Thread& thread : threads)
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
    ExpectKnownAnswers(AskFromAnotherApartment(probe.Get()));
    probe.Reset();
    EXPECT_EQ(UnregisterServer(), S_OK);
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

} // namespace
