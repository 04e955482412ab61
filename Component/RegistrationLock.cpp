#include "RegistrationLock.h"

#include "Identity.h"

#include <sddl.h>

namespace orvane {
namespace {

// In the global namespace, which all sessions share; 32- and 64-bit processes name the
// same object. Anyone may wait for it and let it go: a standard user registering per user
// takes turns with an administrator.
#define ORVANE_LOCK_NAME(clsid) ORVANE_LOCK_NAME_OF(clsid)
#define ORVANE_LOCK_NAME_OF(clsid) L"Global\\{" #clsid "}.Registration"
constexpr wchar_t kName[] = ORVANE_LOCK_NAME(ORVANE_CLSID_TEXT);
#undef ORVANE_LOCK_NAME_OF
#undef ORVANE_LOCK_NAME
constexpr wchar_t kAccess[] = L"D:(A;;0x00100001;;;WD)"; // SYNCHRONIZE | MUTEX_MODIFY_STATE
// A registration takes milliseconds: a holder that keeps it this long is stuck (or hostile).
constexpr DWORD kLongestWait = 30000;

HANDLE OpenOrCreate() noexcept
{
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
    ConvertStringSecurityDescriptorToSecurityDescriptorW(kAccess, SDDL_REVISION_1,
                                                         &attributes.lpSecurityDescriptor,
                                                         nullptr);
    HANDLE mutex = CreateMutexW(&attributes, FALSE, kName);
    LocalFree(attributes.lpSecurityDescriptor);
    // Made by another with rights we lack for creating; waiting is all we need.
    if (!mutex && GetLastError() == ERROR_ACCESS_DENIED)
        mutex = OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kName);
    return mutex;
}

} // namespace

HRESULT RegistrationLock::Acquire() noexcept
{
    mutex_.reset(OpenOrCreate());
    if (!mutex_)
        return S_OK;
    switch (WaitForSingleObject(mutex_.get(), kLongestWait)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:
        held_ = true;
        return S_OK;
    case WAIT_TIMEOUT:
        return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
    default:
        return S_OK;
    }
}

RegistrationLock::~RegistrationLock()
{
    if (held_)
        ReleaseMutex(mutex_.get());
}

} // namespace orvane
