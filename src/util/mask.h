#pragma once
#include <algorithm>
#include <cstddef>
#include <vector>

namespace verdan {

// Calls fn(i) for each i in [from, end) where mask[i] is false, in order (end is cut to the mask's
// size). A deletion's mask names a million rows and removes a few: std::find passes over a word of
// the mask at a time where the library allows it, where a loop reads every bit.
template <class Fn>
void forEachCleared(const std::vector<bool>& mask, std::size_t from, std::size_t end, Fn fn) {
    end = std::min(end, mask.size());
    if (from >= end) return;
    const auto last = mask.begin() + static_cast<std::ptrdiff_t>(end);
    for (auto it = std::find(mask.begin() + static_cast<std::ptrdiff_t>(from), last, false); it != last;
         it = std::find(it + 1, last, false))
        fn(static_cast<std::size_t>(it - mask.begin()));
}

// The positions in [from, end) where mask is false, ascending.
inline std::vector<std::size_t> clearedPositions(const std::vector<bool>& mask, std::size_t from,
                                                 std::size_t end) {
    std::vector<std::size_t> positions;
    forEachCleared(mask, from, end, [&](std::size_t i) { positions.push_back(i); });
    return positions;
}

// How many of the ascending `positions` lie before `value`.
inline std::size_t countBefore(const std::vector<std::size_t>& positions, std::size_t value) {
    return static_cast<std::size_t>(std::lower_bound(positions.begin(), positions.end(), value) -
                                    positions.begin());
}

} // namespace verdan
