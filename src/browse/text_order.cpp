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

// Runs `work(first, last)` over [0, split) here and [split, n) on a second thread when n is
// large; without a thread to be had, both parts here, one after the other.
template <class Work> void onBothCores(std::size_t n, std::size_t split, std::size_t threshold, Work work) {
    if (n < threshold || std::thread::hardware_concurrency() < 2) {
        work(std::size_t{0}, n);
        return;
    }
    std::exception_ptr failure;
    std::thread helper;
    try {
        helper = platform::startThread([&] {
            try {
                work(split, n);
            } catch (...) {
                failure = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        work(std::size_t{0}, split);
        work(split, n);
        return;
    }
    try {
        work(std::size_t{0}, split);
    } catch (...) {
        helper.join();
        throw;
    }
    helper.join();
    if (failure) std::rethrow_exception(failure);
}

constexpr std::size_t kThreadedRows = 20000;

// Where the two halves of the items, each sorted on its own core, meet: n when they were
// sorted as one.
std::size_t sortedHalf(std::size_t n) {
    return n >= kThreadedRows && std::thread::hardware_concurrency() > 1 ? n / 2 : n;
}

// Merges the two sorted halves of `items` straight into `order`, from both ends at once: the
// order is total (indexes settle ties), so the first `half` items from the front and the rest
// from the back meet exactly. same[k] tells whether element k is `equal` to element k - 1.
template <class Item, class Less, class Equal>
void mergeHalves(const std::vector<Item>& items, std::size_t half, const Less& less, const Equal& equal,
                 std::vector<std::uint32_t>& order, std::vector<unsigned char>& same) {
    const std::size_t n = items.size();
    order.assign(n, 0);
    same.assign(n, 0);
    const Item* lastOfFront = nullptr;
    const Item* firstOfBack = nullptr;
    onBothCores(n, n / 2, kThreadedRows, [&](std::size_t first, std::size_t last) {
        const Item* previous = nullptr;
        if (first == 0) {
            std::size_t a = 0, b = half;
            for (std::size_t k = 0; k < last; ++k) {
                const Item& item =
                    (b < n && (a >= half || less(items[b], items[a]))) ? items[b++] : items[a++];
                order[k] = item.index;
                if (previous && equal(*previous, item)) same[k] = 1;
                previous = &item;
            }
            lastOfFront = previous;
        } else {
            std::size_t a = half, b = n; // one past the next candidate of each half
            for (std::size_t k = n; k > first; --k) {
                const Item& item =
                    (a > 0 && (b <= half || less(items[b - 1], items[a - 1]))) ? items[--a] : items[--b];
                order[k - 1] = item.index;
                if (previous && equal(item, *previous)) same[k] = 1;
                previous = &item;
            }
            firstOfBack = previous;
        }
    });
    if (lastOfFront && firstOfBack && equal(*lastOfFront, *firstOfBack)) same[n / 2] = 1;
}

TextOrder toResult(std::vector<std::uint32_t>& order, std::vector<unsigned char>& same) {
    TextOrder result;
    result.sameKeyAsAbove.assign(same.begin(), same.end());
    std::vector<unsigned char>().swap(same);
    result.order.reserve(order.size());
    for (std::uint32_t index : order) result.order.push_back(std::size_t{index} + 1);
    std::vector<std::uint32_t>().swap(order);
    return result;
}

// Sorting with every key kept whole: an item holds the key's first bytes, packed so that integer
// comparisons settle most pairs, and where the rest of the key lies.
namespace whole {

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

TextOrder sort(std::size_t n, const SortTextOf& textOf, bool ascending, platform::SortKeyMaker& keys) {
    // Computing the keys is most of the work: each half of the texts has its keys made and
    // sorted on a core of its own, then the halves are merged.
    std::vector<SortItem> items(n);
    std::string arenas[2];
    const std::size_t half = sortedHalf(n);
    SortKeys sortKeys{{nullptr, nullptr}, half};
    onBothCores(n, n / 2, kThreadedRows, [&](std::size_t first, std::size_t last) {
        std::unique_ptr<platform::SortKeyMaker> own;
        if (first > 0) own = keys.clone();
        std::string& arena = arenas[first > 0 ? 1 : 0];
        makeKeys(textOf, first, last, first > 0 ? *own : keys, arena, items.data());
    });
    sortKeys.arena[0] = arenas[0].data();
    sortKeys.arena[1] = arenas[1].data();
    const ItemOrder less{sortKeys, ascending};
    onBothCores(n, n / 2, kThreadedRows, [&](std::size_t first, std::size_t last) {
        std::sort(items.data() + first, items.data() + last, less);
    });
    std::vector<std::uint32_t> order;
    std::vector<unsigned char> same;
    mergeHalves(
        items, half, less, [&](const SortItem& a, const SortItem& b) { return sortKeys.compare(a, b) == 0; },
        order, same);
    std::vector<SortItem>().swap(items);
    for (std::string& arena : arenas) std::string().swap(arena);
    return toResult(order, same);
}

} // namespace whole

// Sorting by the first bytes of the keys alone: a million whole keys take about three times the
// texts, most of it for the few texts whose keys share their first bytes. Those are ordered
// afterwards, run by run, from keys made again.
namespace prefixed {

constexpr std::size_t kPrefixBytes = 28;
// In an index: the key has no byte past the prefix.
constexpr std::uint32_t kWhole = 0x80000000u;

struct SortItem {
    std::uint64_t prefix[3];
    std::uint32_t more;  // key bytes 24 to 27
    std::uint32_t index; // of the text, from 0, with kWhole
};
static_assert(sizeof(SortItem) == 32);

// Bytes [at, at + width) of a key as a big-endian number, zeros past its end: numbers compare as
// the bytes do, and a key that ends sorts before any that goes on with the same bytes.
std::uint64_t packBytes(const std::string& key, std::size_t at, std::size_t width) {
    std::uint64_t v = 0;
    for (std::size_t i = at; i < at + width; ++i)
        v = (v << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    return v;
}

void fill(SortItem& item, const std::string& key, std::size_t index) {
    for (std::size_t w = 0; w < 3; ++w) item.prefix[w] = packBytes(key, 8 * w, 8);
    item.more = static_cast<std::uint32_t>(packBytes(key, 24, 4));
    item.index = static_cast<std::uint32_t>(index) | (key.size() <= kPrefixBytes ? kWhole : 0u);
}

int comparePrefixes(const SortItem& a, const SortItem& b) {
    for (int w = 0; w < 3; ++w) {
        if (a.prefix[w] != b.prefix[w]) return a.prefix[w] < b.prefix[w] ? -1 : 1;
    }
    if (a.more != b.more) return a.more < b.more ? -1 : 1;
    return 0;
}

// Prefix order in the direction asked, then text order.
struct ItemOrder {
    bool ascending;
    bool operator()(const SortItem& a, const SortItem& b) const {
        const int c = comparePrefixes(a, b);
        if (c != 0) return ascending ? c < 0 : c > 0;
        return (a.index & ~kWhole) < (b.index & ~kWhole);
    }
};

void makePrefixes(const SortTextOf& textOf, std::size_t first, std::size_t last, platform::SortKeyMaker& keys,
                  SortItem* items) {
    std::string key;
    for (std::size_t i = first; i < last; ++i) {
        key.clear();
        keys.appendKey(textOf(i), key);
        fill(items[i], key, i);
    }
}

// Orders the runs of elements of order[first, last) whose prefixes are equal by their whole
// keys. On entry same[k] says that element k's prefix equals element k - 1's (no run crosses
// `first` or `last`) and each run is in text order; on return same[k] says that the whole keys
// are equal, and the elements hold their texts' indexes alone.
class RunOrder {
public:
    RunOrder(const SortTextOf& textOf, bool ascending, platform::SortKeyMaker& keys)
        : m_textOf(textOf), m_ascending(ascending), m_keys(keys) {}

    void run(std::uint32_t* order, unsigned char* same, std::size_t first, std::size_t last) {
        for (std::size_t start = first; start < last;) {
            std::size_t end = start + 1;
            bool whole = (order[start] & kWhole) != 0;
            for (; end < last && same[end]; ++end) {
                if (!(order[end] & kWhole)) whole = false;
            }
            // Keys with nothing past their equal prefixes are equal.
            if (!whole && end - start > 1) orderRun(order + start, same + start, end - start);
            for (std::size_t k = start; k < end; ++k) order[k] &= ~kWhole;
            start = end;
        }
    }

private:
    struct Member {
        std::uint32_t index;
        std::uint32_t keyAt;
        std::uint32_t keyLength;
    };

    std::string_view keyOf(const Member& m) const { return {m_arena.data() + m.keyAt, m.keyLength}; }

    void orderRun(std::uint32_t* order, unsigned char* same, std::size_t count) {
        m_members.clear();
        m_arena.clear();
        for (std::size_t k = 0; k < count; ++k) {
            const std::uint32_t index = order[k] & ~kWhole;
            // Repeats of a text follow each other often (a folder's files): their key is made once.
            if (k > 0 && m_textOf(index) == m_textOf(m_members.back().index)) {
                m_members.push_back({index, m_members.back().keyAt, m_members.back().keyLength});
                continue;
            }
            const std::size_t at = m_arena.size();
            m_keys.appendKey(m_textOf(index), m_arena);
            if (m_arena.size() > UINT32_MAX) throw std::bad_alloc();
            m_members.push_back(
                {index, static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(m_arena.size() - at)});
        }
        std::sort(m_members.begin(), m_members.end(), [this](const Member& a, const Member& b) {
            const int c = keyOf(a).compare(keyOf(b));
            if (c != 0) return m_ascending ? c < 0 : c > 0;
            return a.index < b.index;
        });
        for (std::size_t k = 0; k < count; ++k) {
            order[k] = m_members[k].index;
            if (k > 0) same[k] = keyOf(m_members[k]) == keyOf(m_members[k - 1]) ? 1 : 0;
        }
    }

    const SortTextOf& m_textOf;
    const bool m_ascending;
    platform::SortKeyMaker& m_keys;
    std::vector<Member> m_members;
    std::string m_arena;
};

TextOrder sort(std::size_t n, const SortTextOf& textOf, bool ascending, platform::SortKeyMaker& keys) {
    if (n >= kWhole) throw std::bad_alloc();
    std::vector<SortItem> items(n);
    onBothCores(n, n / 2, kThreadedRows, [&](std::size_t first, std::size_t last) {
        std::unique_ptr<platform::SortKeyMaker> own;
        if (first > 0) own = keys.clone();
        makePrefixes(textOf, first, last, first > 0 ? *own : keys, items.data());
    });
    const ItemOrder less{ascending};
    onBothCores(n, n / 2, kThreadedRows, [&](std::size_t first, std::size_t last) {
        std::sort(items.data() + first, items.data() + last, less);
    });
    std::vector<std::uint32_t> order;
    std::vector<unsigned char> same;
    mergeHalves(
        items, sortedHalf(n), less,
        [](const SortItem& a, const SortItem& b) { return comparePrefixes(a, b) == 0; }, order, same);
    std::vector<SortItem>().swap(items);

    // The runs, shared out between the cores at the start of one.
    std::size_t split = n / 2;
    while (split < n && same[split]) ++split;
    onBothCores(n, split, kThreadedRows, [&](std::size_t first, std::size_t last) {
        std::unique_ptr<platform::SortKeyMaker> own;
        if (first > 0) own = keys.clone();
        RunOrder(textOf, ascending, first > 0 ? *own : keys).run(order.data(), same.data(), first, last);
    });
    return toResult(order, same);
}

// Whether many keys would be made again: a sample of evenly spread texts whose keys go on past
// equal prefixes. Small runs, which cost little, seldom show in it; long ones (a column of folder
// paths) do.
bool runsWouldCostMuch(std::size_t n, const SortTextOf& textOf, platform::SortKeyMaker& keys) {
    constexpr std::size_t kSample = 2048;
    std::vector<SortItem> sample(std::min(n, kSample));
    std::string key;
    for (std::size_t s = 0; s < sample.size(); ++s) {
        key.clear();
        keys.appendKey(textOf(s * n / sample.size()), key);
        fill(sample[s], key, s);
    }
    std::sort(sample.begin(), sample.end(), ItemOrder{true});
    std::size_t alike = 0;
    for (std::size_t s = 0; s < sample.size(); ++s) {
        const bool shared = (s > 0 && comparePrefixes(sample[s - 1], sample[s]) == 0) ||
                            (s + 1 < sample.size() && comparePrefixes(sample[s], sample[s + 1]) == 0);
        if (shared && !(sample[s].index & kWhole)) ++alike;
    }
    return alike * 10 > sample.size();
}

} // namespace prefixed

// Below this many texts the whole keys take little room.
constexpr std::size_t kPrefixedFrom = 20000;

} // namespace

TextOrder sortTexts(std::size_t n, const SortTextOf& textOf, bool ascending, platform::SortKeyMaker& keys) {
    if (n > UINT32_MAX) throw std::bad_alloc();
    if (n >= kPrefixedFrom && !prefixed::runsWouldCostMuch(n, textOf, keys))
        return prefixed::sort(n, textOf, ascending, keys);
    return whole::sort(n, textOf, ascending, keys);
}

} // namespace verdan
