#pragma once
// What an operation costs, measured in a child process of its own. Linux only.
#include <cstdint>
#include <functional>
#include <optional>

namespace verdan::test {

struct Cost {
    std::int64_t peakBytes = 0; // resident memory at the peak, above what the child held at the start
    double seconds = 0;
};

// Runs `body` in a forked child and returns its cost there; nothing when the child could not be
// made, or failed or threw.
std::optional<Cost> costInChild(const std::function<void()>& body);

// Sanitizers keep freed memory and shadow every byte, and an unoptimised build runs many times
// slower: what an operation costs there says nothing of what it costs the user.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || !defined(NDEBUG)
inline constexpr bool kCostsMeasurable = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
inline constexpr bool kCostsMeasurable = false;
#else
inline constexpr bool kCostsMeasurable = true;
#endif
#else
inline constexpr bool kCostsMeasurable = true;
#endif

} // namespace verdan::test
