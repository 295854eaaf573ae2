#include "browse/text_order.h"
#include "platform/threads.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace verdan {
namespace {

// One text to sort: the first bytes of its key, packed so that integer comparisons settle most
// pairs (titles often share their first word), and where the rest of the key lies. Small, so that
// a million of them beside their keys add little to the table.
struct SortItem {
    std::uint64_t prefix[2];
    std::uint32_t index; // of the text, from 0
    std::uint32_t rest;  // offset in its half's arena of the key's length, then its bytes past the prefix
};

constexpr std::size_t kPrefixBytes = sizeof(SortItem::prefix);

std::uint64_t packWord(const char* key, std::size_t length) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < 8; ++i) v = (v << 8) | (i < length ? static_cast<unsigned char>(key[i]) : 0u);
    return v;
}

std::size_t putLength(std::size_t length, char* out) {
    std::size_t n = 0;
    for (; length >= 0x80; length >>= 7) out[n++] = static_cast<char>((length & 0x7F) | 0x80);
    out[n++] = static_cast<char>(length);
    return n;
}

const char* getLength(const char* in, std::size_t& length) {
    length = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*in++);
        length |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if (byte < 0x80) return in;
    }
}

// The keys of texts [0, half) lie in the first arena, the others in the second.
struct SortKeys {
    const char* arena[2];
    std::size_t half;

    int compare(const SortItem& a, const SortItem& b) const {
        if (a.prefix[0] != b.prefix[0]) return a.prefix[0] < b.prefix[0] ? -1 : 1;
        if (a.prefix[1] != b.prefix[1]) return a.prefix[1] < b.prefix[1] ? -1 : 1;
        std::size_t lengthA = 0, lengthB = 0;
        const char* restA = getLength(arena[a.index >= half ? 1 : 0] + a.rest, lengthA);
        const char* restB = getLength(arena[b.index >= half ? 1 : 0] + b.rest, lengthB);
        const std::size_t common = std::min(lengthA, lengthB);
        if (common > kPrefixBytes) {
            const int c = std::memcmp(restA, restB, common - kPrefixBytes);
            if (c != 0) return c;
        }
        if (lengthA != lengthB) return lengthA < lengthB ? -1 : 1;
        return 0;
    }
};

// Key order in the direction asked, then text order, which makes the sort stable.
struct ItemOrder {
    const SortKeys& keys;
    bool ascending;
    bool operator()(const SortItem& a, const SortItem& b) const {
        const int c = keys.compare(a, b);
        if (c != 0) return ascending ? c < 0 : c > 0;
        return a.index < b.index;
    }
};

// Keys of texts [first, last) into `arena` and their items into items[first, last).
void makeKeys(const SortTextOf& textOf, std::size_t first, std::size_t last, platform::SortKeyMaker& keys,
              std::string& arena, SortItem* items) {
    // Room for every key at once: what is reserved and never written costs no memory, and the
    // arena never has to be copied to grow.
    std::size_t textBytes = 0;
    for (std::size_t i = first; i < last; ++i) textBytes += textOf(i).size();
    arena.reserve(2 * textBytes + 4 * (last - first) + 64);
    for (std::size_t i = first; i < last; ++i) {
        const std::size_t at = arena.size();
        if (at > UINT32_MAX) throw std::bad_alloc();
        keys.appendKey(textOf(i), arena);
        const std::size_t length = arena.size() - at;
        SortItem& item = items[i];
        const char* key = arena.data() + at;
        item.prefix[0] = packWord(key, length);
        item.prefix[1] = length > 8 ? packWord(key + 8, length - 8) : 0;
        item.index = static_cast<std::uint32_t>(i);
        item.rest = static_cast<std::uint32_t>(at);
        // The prefix is in the item: the arena keeps the length and the bytes past it.
        char head[16];
        const std::size_t headBytes = putLength(length, head);
        const std::size_t rest = length > kPrefixBytes ? length - kPrefixBytes : 0;
        if (headBytes + rest > length) arena.resize(at + headBytes + rest);
        std::memmove(arena.data() + at + headBytes, arena.data() + at + kPrefixBytes * (rest > 0), rest);
        std::memcpy(arena.data() + at, head, headBytes);
        arena.resize(at + headBytes + rest);
    }
}

// Runs `work(first, last)` over [0, n), half of it on a second thread when n is large; without a
// thread to be had, both halves here, one after the other.
template <class Work> void onBothCores(std::size_t n, std::size_t threshold, Work work) {
    if (n < threshold || std::thread::hardware_concurrency() < 2) {
        work(std::size_t{0}, n);
        return;
    }
    const std::size_t half = n / 2;
    std::exception_ptr failure;
    std::thread helper;
    try {
        helper = platform::startThread([&] {
            try {
                work(half, n);
            } catch (...) {
                failure = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        work(std::size_t{0}, half);
        work(half, n);
        return;
    }
    try {
        work(std::size_t{0}, half);
    } catch (...) {
        helper.join();
        throw;
    }
    helper.join();
    if (failure) std::rethrow_exception(failure);
}

constexpr std::size_t kThreadedRows = 20000;

} // namespace

TextOrder sortTexts(std::size_t n, const SortTextOf& textOf, bool ascending, platform::SortKeyMaker& keys) {
    TextOrder result;
    if (n > UINT32_MAX) throw std::bad_alloc();
    // Computing the keys is most of the work: each half of the texts has its keys made and
    // sorted on a core of its own, then the halves are merged.
    std::vector<SortItem> items(n);
    std::string arenas[2];
    const std::size_t half = n >= kThreadedRows && std::thread::hardware_concurrency() > 1 ? n / 2 : n;
    SortKeys sortKeys{{nullptr, nullptr}, half};
    onBothCores(n, kThreadedRows, [&](std::size_t first, std::size_t last) {
        std::unique_ptr<platform::SortKeyMaker> own;
        if (first > 0) own = keys.clone();
        std::string& arena = arenas[first > 0 ? 1 : 0];
        makeKeys(textOf, first, last, first > 0 ? *own : keys, arena, items.data());
    });
    sortKeys.arena[0] = arenas[0].data();
    sortKeys.arena[1] = arenas[1].data();
    const ItemOrder less{sortKeys, ascending};
    onBothCores(n, kThreadedRows, [&](std::size_t first, std::size_t last) {
        std::sort(items.data() + first, items.data() + last, less);
    });

    // The halves are merged straight into the order, from both ends at once: the order is total
    // (indexes settle ties), so the first `half` items from the front and the rest from the back
    // meet exactly. Each side marks the keys equal to the one before it on its own side. The
    // indexes take 4 bytes while the keys are there, and are widened once they are gone.
    std::vector<std::uint32_t> order(n);
    std::vector<unsigned char> same(n, 0);
    const SortItem* lastOfFront = nullptr;
    const SortItem* firstOfBack = nullptr;
    onBothCores(n, kThreadedRows, [&](std::size_t first, std::size_t last) {
        const SortItem* previous = nullptr;
        if (first == 0) {
            std::size_t a = 0, b = half;
            for (std::size_t k = 0; k < last; ++k) {
                const SortItem& item =
                    (b < n && (a >= half || less(items[b], items[a]))) ? items[b++] : items[a++];
                order[k] = item.index;
                if (previous && sortKeys.compare(*previous, item) == 0) same[k] = 1;
                previous = &item;
            }
            lastOfFront = previous;
        } else {
            std::size_t a = half, b = n; // one past the next candidate of each half
            for (std::size_t k = n; k > first; --k) {
                const SortItem& item =
                    (a > 0 && (b <= half || less(items[b - 1], items[a - 1]))) ? items[--a] : items[--b];
                order[k - 1] = item.index;
                if (previous && sortKeys.compare(item, *previous) == 0) same[k] = 1;
                previous = &item;
            }
            firstOfBack = previous;
        }
    });
    if (lastOfFront && firstOfBack && sortKeys.compare(*lastOfFront, *firstOfBack) == 0) same[half] = 1;
    std::vector<SortItem>().swap(items);
    for (std::string& arena : arenas) std::string().swap(arena);
    result.sameKeyAsAbove.assign(same.begin(), same.end());
    std::vector<unsigned char>().swap(same);
    result.order.reserve(n);
    for (std::uint32_t index : order) result.order.push_back(std::size_t{index} + 1);
    return result;
}

} // namespace verdan
