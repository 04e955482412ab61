// Registration while others use or change the same entries: hosts that read the class at
// any moment, a second registration at the same time, keys another program removes under
// an unregistration. Each test counts the outcome of every round and prints the counts.
#include "DllCopy.h"
#include "ImportHook.h"
#include "RegistryRead.h"
#include "ServerTest.h"
#include "Thread.h"

#include <olectl.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

const std::wstring kClasses = L"Software\\Classes\\";
const std::wstring kClassKey = kClasses + L"CLSID\\" + GuidText(CLSID_clsRegistry);
const std::wstring kServerKey = kClassKey + L"\\InprocServer32";
const std::wstring kLibraryKey = kClasses + L"TypeLib\\" + GuidText(LIBID_Orvane) + L"\\1.0";
const std::wstring kOurs[] = {kClassKey, kClasses + L"Interface\\" + GuidText(IID__clsRegistry),
                              kClasses + L"Orvane.clsRegistry", kClasses + L"Orvane.clsRegistry.1",
                              kClasses + L"TypeLib\\" + GuidText(LIBID_Orvane)};

struct Scope {
    const char* name;
    HKEY hive;
    bool user;
};
const Scope kScopes[] = {{"machine", HKEY_LOCAL_MACHINE, false},
                             {"user", HKEY_CURRENT_USER, true}};

HRESULT Call(HMODULE dll, const Scope& scope, bool install)
{
    if (scope.user) {
        const auto proc = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(BOOL, PCWSTR)>(
            reinterpret_cast<void*>(GetProcAddress(dll, "DllInstall")));
        return proc(install, L"user");
    }
    const auto proc = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(
        GetProcAddress(dll, install ? "DllRegisterServer" : "DllUnregisterServer")));
    return proc();
}

void RemoveOurs(HKEY hive)
{
    for (const std::wstring& key : kOurs)
        RegDeleteTreeW(hive, key.c_str());
}

bool AnyOfOursLeft(HKEY hive)
{
    for (const std::wstring& key : kOurs) {
        if (KeyExists(hive, key))
            return true;
    }
    return false;
}

// The DLL's registry routines, with the test's own steps before each read or removal and
// after each change.
std::function<void()> beforeRead, afterChange;
std::vector<std::unique_ptr<ImportHook>> hooks;
struct {
    decltype(&RegSetValueExW) setValue;
    decltype(&RegDeleteValueW) deleteValue;
    decltype(&RegDeleteKeyW) deleteKey;
    decltype(&RegQueryValueExW) queryValue;
    decltype(&RegQueryInfoKeyW) queryInfo;
} system;

void Before()
{
    if (beforeRead)
        beforeRead();
}
LONG After(LONG status)
{
    if (afterChange)
        afterChange();
    return status;
}

LONG WINAPI SetValue(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data,
                     DWORD bytes)
{
    return After(system.setValue(key, name, reserved, type, data, bytes));
}
LONG WINAPI DeleteValue(HKEY key, LPCWSTR name)
{
    Before();
    return After(system.deleteValue(key, name));
}
LONG WINAPI DeleteKey(HKEY key, LPCWSTR subkey)
{
    return After(system.deleteKey(key, subkey));
}
LONG WINAPI QueryValue(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                       LPDWORD bytes)
{
    Before();
    return system.queryValue(key, name, reserved, type, data, bytes);
}
LONG WINAPI QueryInfo(HKEY key, LPWSTR className, LPDWORD classLength, LPDWORD reserved,
                      LPDWORD subkeys, LPDWORD longestSubkey, LPDWORD longestClass,
                      LPDWORD values, LPDWORD longestName, LPDWORD longestData,
                      LPDWORD security, PFILETIME written)
{
    Before();
    return system.queryInfo(key, className, classLength, reserved, subkeys, longestSubkey,
                            longestClass, values, longestName, longestData, security, written);
}

bool HookRegistry(HMODULE dll)
{
    const struct {
        const char* name;
        void* replacement;
        void** original;
    } routines[] = {
        {"RegSetValueExW", reinterpret_cast<void*>(&SetValue),
         reinterpret_cast<void**>(&system.setValue)},
        {"RegDeleteValueW", reinterpret_cast<void*>(&DeleteValue),
         reinterpret_cast<void**>(&system.deleteValue)},
        {"RegDeleteKeyW", reinterpret_cast<void*>(&DeleteKey),
         reinterpret_cast<void**>(&system.deleteKey)},
        {"RegQueryValueExW", reinterpret_cast<void*>(&QueryValue),
         reinterpret_cast<void**>(&system.queryValue)},
        {"RegQueryInfoKeyW", reinterpret_cast<void*>(&QueryInfo),
         reinterpret_cast<void**>(&system.queryInfo)},
    };
    for (const auto& routine : routines) {
        hooks.push_back(
            std::make_unique<ImportHook>(dll, "advapi32.dll", routine.name, routine.replacement));
        if (!hooks.back()->ok())
            return false;
        *routine.original = hooks.back()->original();
    }
    return true;
}

class ConcurrentRegistration : public ServerDllTest {
protected:
    void TearDown() override
    {
        hooks.clear();
        beforeRead = afterChange = nullptr;
        for (const Scope& scope : kScopes)
            RemoveOurs(scope.hive);
        ServerDllTest::TearDown();
    }
};

// COM reads a server's path and then its ThreadingModel: a path found without one puts the
// object in the process's main apartment, whose thread may never pump messages, and the
// host's other threads wait for it. After every change that registration and then
// unregistration make, the class has both or neither.
TEST_F(ConcurrentRegistration, NoServerPathWithoutItsThreadingModel)
{
    ASSERT_TRUE(HookRegistry(dll_));
    for (const Scope& scope : kScopes) {
        for (const bool install : {true, false}) {
            const char* what = install ? "registration" : "unregistration";
            SCOPED_TRACE(testing::Message() << scope.name << " " << what);
            int changes = 0;
            int bare = 0;
            afterChange = [&] {
                ++changes;
                if (ReadString(scope.hive, kServerKey, L"") &&
                    !ReadString(scope.hive, kServerKey, L"ThreadingModel"))
                    ++bare;
            };
            EXPECT_EQ(Call(dll_, scope, install), S_OK);
            afterChange = nullptr;
            std::printf("%s %s: %d changes, %d with a server path and no ThreadingModel\n",
                        scope.name, what, changes, bare);
            EXPECT_EQ(bare, 0);
            EXPECT_GT(changes, 20);
        }
    }
}

// Another program (an installer, an older build) removes the whole registration just
// before any one read or removal of an unregistration: the keys it holds open are then
// deleted ones. What is gone is gone; the unregistration succeeds and leaves nothing.
TEST_F(ConcurrentRegistration, KeysRemovedMeanwhileCountAsGone)
{
    ASSERT_TRUE(HookRegistry(dll_));
    for (const Scope& scope : kScopes) {
        SCOPED_TRACE(scope.name);
        int rounds = 0;
        int failed = 0;
        int left = 0;
        for (int at = 1; at < 1000; ++at) {
            ASSERT_EQ(Call(dll_, scope, true), S_OK);
            int calls = 0;
            beforeRead = [&] {
                if (++calls == at)
                    RemoveOurs(scope.hive);
            };
            const HRESULT hr = Call(dll_, scope, false);
            beforeRead = nullptr;
            if (calls < at)
                break; // the unregistration ended before its at-th step
            ++rounds;
            failed += hr != S_OK;
            left += AnyOfOursLeft(scope.hive);
            RemoveOurs(scope.hive);
        }
        std::printf("%s: removed before each of %d steps: %d unregistrations failed, %d left "
                    "entries\n",
                    scope.name, rounds, failed, left);
        EXPECT_GT(rounds, 20);
        EXPECT_EQ(failed, 0);
        EXPECT_EQ(left, 0);
    }
}

// Two copies register at the same moment, then unregister at the same moment. Each
// registration is whole, so that the class, its type library's file and HELPDIR name the
// same copy (the one that went second); both unregistrations succeed and leave nothing.
TEST_F(ConcurrentRegistration, RegistrationsTakeTurns)
{
    DllCopy first(L"Orvane Turns A");
    DllCopy second(L"Orvane Turns B");
    ASSERT_TRUE(first.copied() && second.copied());
    HMODULE dlls[] = {LoadLibraryW(first.path().c_str()), LoadLibraryW(second.path().c_str())};
    ASSERT_TRUE(dlls[0] && dlls[1]);
    constexpr int kRounds = 100;
    for (const Scope& scope : kScopes) {
        SCOPED_TRACE(scope.name);
        int failed = 0;
        int mixed = 0;
        int unregisterFailed = 0;
        int left = 0;
        for (int round = 0; round < kRounds; ++round) {
            for (const bool install : {true, false}) {
                const HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
                HRESULT results[2] = {E_FAIL, E_FAIL};
                {
                    Thread one([&] {
                        WaitForSingleObject(go, INFINITE);
                        results[0] = Call(dlls[0], scope, install);
                    });
                    Thread other([&] {
                        WaitForSingleObject(go, INFINITE);
                        results[1] = Call(dlls[1], scope, install);
                    });
                    SetEvent(go);
                }
                CloseHandle(go);
                const bool succeeded = results[0] == S_OK && results[1] == S_OK;
                if (install) {
                    failed += !succeeded;
                    const auto server = ReadString(scope.hive, kServerKey, L"");
                    const wchar_t* own = sizeof(void*) == 8 ? L"\\0\\win64" : L"\\0\\win32";
                    const auto file = ReadString(scope.hive, kLibraryKey + own, L"");
                    const auto help = ReadString(scope.hive, kLibraryKey + L"\\HELPDIR", L"");
                    mixed += !server || file != server || !help ||
                             *help != server->substr(0, server->rfind(L'\\') + 1);
                } else {
                    unregisterFailed += !succeeded;
                    left += AnyOfOursLeft(scope.hive);
                    RemoveOurs(scope.hive);
                }
            }
        }
        std::printf("%s: %d rounds: %d registrations failed, %d mixed; %d unregistrations "
                    "failed, %d left entries\n",
                    scope.name, kRounds, failed, mixed, unregisterFailed, left);
        EXPECT_EQ(failed, 0);
        EXPECT_EQ(mixed, 0);
        EXPECT_EQ(unregisterFailed, 0);
        EXPECT_EQ(left, 0);
    }
    FreeLibrary(dlls[0]);
    FreeLibrary(dlls[1]);
}

// The turns are kept by a mutex named in the global namespace. A registration that finds it
// held waits, then writes all of its registration; one whose holder ended without letting
// go (a process that died in the middle) goes ahead all the same.
TEST_F(ConcurrentRegistration, WaitsForTheHolderAndGoesOnWhenItDies)
{
    const std::wstring name = L"Global\\" + GuidText(CLSID_clsRegistry) + L".Registration";
    wchar_t own[MAX_PATH];
    const std::wstring path(own, GetModuleFileNameW(dll_, own, MAX_PATH));
    for (const bool dies : {false, true}) {
        SCOPED_TRACE(dies ? "the holder dies" : "the holder lets go");
        const HANDLE held = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        volatile LONG done = 0;
        Thread holder([&] {
            const HANDLE mutex = CreateMutexW(nullptr, TRUE, name.c_str());
            SetEvent(held);
            Sleep(300);
            InterlockedExchange(&done, 1);
            if (!dies)
                ReleaseMutex(mutex);
            CloseHandle(mutex);
        });
        WaitForSingleObject(held, INFINITE);
        CloseHandle(held);
        EXPECT_EQ(RegisterServer(), S_OK);
        EXPECT_EQ(done, 1) << "registered while another registration held the turn";
        EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kServerKey, L""), path);
        EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kServerKey, L"ThreadingModel"), L"Apartment");
        holder.join();
        EXPECT_EQ(UnregisterServer(), S_OK);
        EXPECT_FALSE(AnyOfOursLeft(HKEY_LOCAL_MACHINE));
    }
}

} // namespace
