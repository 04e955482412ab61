// Holds a reference to an object for the length of a call, so that a client that releases
// it while the call runs its code (a message box's loop, an argument's default property)
// cannot free it underneath the call.
#pragma once

#include <unknwn.h>

namespace orvane {

class CallReference {
public:
    explicit CallReference(IUnknown* object) noexcept : object_(object) { object_->AddRef(); }
    ~CallReference() { object_->Release(); }
    CallReference(const CallReference&) = delete;
    CallReference& operator=(const CallReference&) = delete;

private:
    IUnknown* object_;
};

} // namespace orvane
