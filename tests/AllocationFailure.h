// Makes one allocation fail, for the length of a scope: through the global operator new (the
// test program replaces it) or through the component's allocator.
#pragma once

class FailNextAllocation {
public:
    // Fails the allocation that comes after `after` successful ones.
    explicit FailNextAllocation(int after = 0);
    ~FailNextAllocation();
    FailNextAllocation(const FailNextAllocation&) = delete;
    FailNextAllocation& operator=(const FailNextAllocation&) = delete;

    bool Triggered() const;
};
