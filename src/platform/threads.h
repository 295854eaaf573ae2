#pragma once
#include <thread>
#include <utility>

// Every helper thread of the core starts here, so that tests can make the system refuse one.
namespace verdan::platform {

namespace faults {
// Test hook: after `after` more thread starts succeed, the next `count` fail as when the system
// has no thread left to give (too many processes, no address space for a stack). 0 turns it off.
void failThreadStarts(long long count, long long after = 0);
// Counts one start; throws std::system_error (resource_unavailable_try_again) when it must fail.
void checkThreadStart();
} // namespace faults

// std::thread(fn), which throws std::system_error when no thread can be had: every caller carries
// on without it, doing the work itself.
template <class Fn> std::thread startThread(Fn&& fn) {
    faults::checkThreadStart();
    return std::thread(std::forward<Fn>(fn));
}

} // namespace verdan::platform
