#include "platform/threads.h"

#include <atomic>
#include <system_error>

namespace verdan::platform::faults {
namespace {
std::atomic<long long> g_succeedFirst{0};
std::atomic<long long> g_failing{0};
} // namespace

void failThreadStarts(long long count, long long after) {
    g_failing = 0;
    g_succeedFirst = after;
    g_failing = count;
}

void checkThreadStart() {
    if (g_failing.load() <= 0) return;
    if (g_succeedFirst.fetch_sub(1) > 0) return;
    if (g_failing.fetch_sub(1) > 0)
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again),
                                "thread start refused (test)");
}

} // namespace verdan::platform::faults
