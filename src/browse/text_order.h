#pragma once
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "platform/collation.h"

// The order of texts as a locale sorts them, apart from the tables whose rows they are, so that
// both the global list and a search result over it can be sorted by it.
namespace verdan {

// Text i of what is sorted, counted from 0; called from two threads at once.
using SortTextOf = std::function<std::string_view(std::size_t)>;

struct TextOrder {
    std::vector<std::size_t> order;   // element i: the text, counted from 1, that comes i-th
    std::vector<bool> sameKeyAsAbove; // [i]: element i sorts equal to element i - 1
};

// The order of `count` texts as the locale of `keys` orders them, letter case ignored, in the
// direction asked; equal texts keep their order. What it holds meanwhile is freed before it returns.
TextOrder sortTexts(std::size_t count, const SortTextOf& textOf, bool ascending,
                    platform::SortKeyMaker& keys);

} // namespace verdan
