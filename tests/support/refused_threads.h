#pragma once
#include "platform/threads.h"

namespace verdan::test {

// While it lives, the system refuses thread starts: after `after` more starts, the next `count`.
class RefusedThreads {
public:
    explicit RefusedThreads(long long count, long long after = 0) {
        platform::faults::failThreadStarts(count, after);
    }
    ~RefusedThreads() { platform::faults::failThreadStarts(0); }
    RefusedThreads(const RefusedThreads&) = delete;
    RefusedThreads& operator=(const RefusedThreads&) = delete;
};

// Enough refusals for every start of one operation.
inline constexpr long long kEveryStart = 1 << 20;

} // namespace verdan::test
