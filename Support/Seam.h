// A replaceable set of system routines. Production code calls through Current(), which is
// the system's set unless a test has put its own in place with Replace().
#pragma once

#include <atomic>

namespace orvane {

template <class Routines>
class Seam {
public:
    static Routines& Current() noexcept
    {
        Routines* replacement = replacement_.load(std::memory_order_acquire);
        return replacement ? *replacement : Routines::System();
    }

    // nullptr restores the system's routines. Returns the replacement that was in place.
    static Routines* Replace(Routines* routines) noexcept { return replacement_.exchange(routines); }

private:
    static inline std::atomic<Routines*> replacement_{nullptr};
};

} // namespace orvane
