// Makes the next allocation through the global operator new fail, for the length of a
// scope. The test program replaces operator new to make this possible.
#pragma once

class FailNextAllocation {
public:
    FailNextAllocation();
    ~FailNextAllocation();
    FailNextAllocation(const FailNextAllocation&) = delete;
    FailNextAllocation& operator=(const FailNextAllocation&) = delete;

    bool Triggered() const;
};
