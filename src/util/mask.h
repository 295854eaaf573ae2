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

} // namespace verdan
