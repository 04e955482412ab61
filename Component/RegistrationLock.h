// One registration or unregistration of the class at a time on the machine: every process,
// logon session and architecture, per-user and machine-wide alike.
#pragma once

#include "Handles.h"

#include <windows.h>

namespace orvane {

class RegistrationLock {
public:
    RegistrationLock() noexcept = default;
    ~RegistrationLock();
    RegistrationLock(const RegistrationLock&) = delete;
    RegistrationLock& operator=(const RegistrationLock&) = delete;

    // Waits for the turn: S_OK once it is this call's, also after a holder that ended
    // without letting go (its registration was cut short; the caller's writes or removes
    // all of its own). S_OK without a turn where no named mutex can be had at all: the
    // call then goes on as one on its own would. HRESULT_FROM_WIN32(ERROR_TIMEOUT) when
    // another holds it for longer than any registration takes.
    HRESULT Acquire() noexcept;

private:
    UniqueKernelHandle mutex_;
    bool held_ = false;
};

} // namespace orvane
