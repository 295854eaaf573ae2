#include "catalogue/key_set.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string>
#include <utility>

#include "catalogue/word_scan.h"
#include "util/utf8.h"

#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

namespace verdan {
namespace {

using wordscan::kHighBits;
using wordscan::kOnes;

constexpr std::size_t kFirstSlots = 16;

#if !(defined(_MSC_VER) && !defined(__clang__))
__extension__ typedef unsigned __int128 Wide;
#endif

// Upper-case ASCII letters of a word turned to lower case; bytes of 0x80 and above untouched.
std::uint64_t lowerAscii(std::uint64_t w) {
    const std::uint64_t low7 = w & ~kHighBits;
    const std::uint64_t aboveA = low7 + kOnes * (0x80 - 'A');
    const std::uint64_t aboveZ = low7 + kOnes * (0x80 - 'Z' - 1);
    const std::uint64_t upper = (aboveA ^ aboveZ) & ~w & kHighBits;
    return w | (upper >> 2);
}

// The folded form of a UTF-8 text, in place: what utf8::fold gives, without its allocations for
// the letters a catalogue holds. False when the text needs the general route (a malformed byte).
bool foldInPlace(char* s, std::size_t n) {
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) wordscan::store(s + i, lowerAscii(wordscan::load(s + i)));
    for (; i < n; ++i) {
        if (s[i] >= 'A' && s[i] <= 'Z') s[i] = static_cast<char>(s[i] + 32);
    }
    for (i = 0; i < n;) {
        if (i + 8 <= n && (wordscan::load(s + i) & kHighBits) == 0) {
            i += 8;
            continue;
        }
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        const bool pair = i + 1 < n && (static_cast<unsigned char>(s[i + 1]) & 0xC0) == 0x80;
        const auto d = pair ? static_cast<unsigned char>(s[i + 1]) : 0;
        if (c == 0xC3 && pair) { // U+00C0..U+00FF
            if (d <= 0x9E && d != 0x97) s[i + 1] = static_cast<char>(d + 0x20);
            i += 2;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF && c != 0xC5 && pair) { // no other letter of Windows-1252 here
            i += 2;
            continue;
        }
        std::size_t pos = i;
        const char32_t cp = utf8::next(std::string_view(s, n), pos);
        if (cp == 0xFFFD && !(pos - i == 3 && c == 0xEF)) return false;
        std::string folded;
        utf8::append(folded, utf8::foldChar(cp));
        if (folded.size() != pos - i) return false;
        folded.copy(s + i, folded.size());
        i = pos;
    }
    return true;
}

std::uint64_t finalMix(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return h;
}

// A 128-bit hash in two lanes that feed each other, sixteen bytes at a time, with the length
// mixed in at the end (the well-known public-domain construction of that shape).
KeySet::Hash hashBytes(const char* s, std::size_t n) {
    constexpr std::uint64_t c1 = 0x87c37b91114253d5ULL;
    constexpr std::uint64_t c2 = 0x4cf5ad432745937fULL;
    std::uint64_t h1 = 0x9E3779B97F4A7C15ULL;
    std::uint64_t h2 = 0x9E3779B97F4A7C15ULL;
    auto mixLanes = [&](std::uint64_t k1, std::uint64_t k2) {
        h1 ^= std::rotl(k1 * c1, 31) * c2;
        h1 = (std::rotl(h1, 27) + h2) * 5 + 0x52dce729;
        h2 ^= std::rotl(k2 * c2, 33) * c1;
        h2 = (std::rotl(h2, 31) + h1) * 5 + 0x38495ab5;
    };
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) mixLanes(wordscan::load(s + i), wordscan::load(s + i + 8));
    std::array<char, 16> tail{};
    std::memcpy(tail.data(), s + i, n - i);
    // A tail of zeros leaves the lanes as they are, as the construction's own tail does.
    const std::uint64_t k1 = wordscan::load(tail.data());
    const std::uint64_t k2 = wordscan::load(tail.data() + 8);
    h2 ^= std::rotl(k2 * c2, 33) * c1;
    h1 ^= std::rotl(k1 * c1, 31) * c2;
    h1 ^= n;
    h2 ^= n;
    h1 += h2;
    h2 += h1;
    h1 = finalMix(h1);
    h2 = finalMix(h2);
    h1 += h2;
    h2 += h1;
    return {h1, static_cast<std::uint32_t>(h2)};
}

// Slots filled at most to seven eighths: the runs of the open table stay a few cache lines long,
// and a million keys take 18 MB.
std::size_t slotsFor(std::size_t keys) {
    return std::max(kFirstSlots, keys + keys / 7 + 1);
}

} // namespace

KeySet::KeySet() : m_slots(kFirstSlots, Slot{0, 0, 0}) {}

KeySet::KeySet(KeySet&& other) : KeySet() {
    *this = std::move(other);
}

KeySet& KeySet::operator=(KeySet&& other) {
    if (this != &other) {
        m_slots.swap(other.m_slots);
        std::swap(m_size, other.m_size);
        std::swap(m_rowCount, other.m_rowCount);
        std::swap(m_level, other.m_level);
        other.clear();
    }
    return *this;
}

KeySet::Hash KeySet::hashOf(std::string_view key) {
    std::array<char, 512> small;
    if (key.size() <= small.size()) {
        key.copy(small.data(), key.size());
        return hashOfFolding(small.data(), key.size());
    }
    const std::string folded = utf8::fold(key);
    return hashBytes(folded.data(), folded.size());
}

KeySet::Hash KeySet::hashOfFolding(char* key, std::size_t n) {
    if (foldInPlace(key, n)) return hashBytes(key, n);
    // Folded in part: folding again from there gives what folding the key gives.
    const std::string folded = utf8::fold(std::string_view(key, n));
    return hashBytes(folded.data(), folded.size());
}

std::size_t KeySet::homeOf(std::uint64_t high) const {
    // The high bits of the product spread the hash over a table of any size.
#if defined(_MSC_VER) && !defined(__clang__)
    return static_cast<std::size_t>(__umulh(high, m_slots.size()));
#else
    return static_cast<std::size_t>((static_cast<Wide>(high) * m_slots.size()) >> 64);
#endif
}

void KeySet::prefetch(Hash hash) const {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(&m_slots[homeOf(hash.high)]);
#else
    (void)hash;
#endif
}

std::size_t KeySet::find(Hash hash, bool& found) const {
    const std::size_t slots = m_slots.size();
    for (std::size_t slot = homeOf(hash.high);; slot = slot + 1 == slots ? 0 : slot + 1) {
        const Slot& s = m_slots[slot];
        if (s.count == 0 || (s.high == hash.high && s.low == hash.low)) {
            found = s.count != 0;
            return slot;
        }
    }
}

bool KeySet::contains(Hash hash) const {
    bool found = false;
    find(hash, found);
    return found;
}

void KeySet::insertNew(Hash hash, std::size_t slot, std::uint32_t count) {
    m_slots[slot] = {hash.high, hash.low, count};
    ++m_size;
    m_rowCount += count;
    if (m_size * 8 > m_slots.size() * 7) rehash(slotsFor(m_size * 2));
}

bool KeySet::insert(Hash hash) {
    bool found = false;
    const std::size_t slot = find(hash, found);
    if (found) return false;
    insertNew(hash, slot, 1);
    return true;
}

bool KeySet::add(Hash hash) {
    bool found = false;
    const std::size_t slot = find(hash, found);
    if (!found) {
        insertNew(hash, slot, 1);
        return true;
    }
    ++m_slots[slot].count;
    ++m_rowCount;
    return false;
}

std::size_t KeySet::countOf(std::string_view key) const {
    bool found = false;
    const std::size_t slot = find(hashOf(key), found);
    return found ? m_slots[slot].count : 0;
}

void KeySet::countEachOnce() {
    for (Slot& s : m_slots)
        if (s.count != 0) s.count = 1;
    m_rowCount = m_size;
}

void KeySet::freeSlot(std::size_t hole) {
    const std::size_t slots = m_slots.size();
    auto next = [slots](std::size_t i) { return i + 1 == slots ? 0 : i + 1; };
    auto distance = [slots](std::size_t from, std::size_t to) {
        return to >= from ? to - from : to + slots - from;
    };
    for (std::size_t slot = next(hole); m_slots[slot].count != 0; slot = next(slot)) {
        // A key may fill the hole unless its home lies after the hole on the way to where it is.
        if (distance(homeOf(m_slots[slot].high), slot) >= distance(hole, slot)) {
            m_slots[hole] = m_slots[slot];
            hole = slot;
        }
    }
    m_slots[hole].count = 0;
}

bool KeySet::remove(Hash hash) {
    bool found = false;
    const std::size_t slot = find(hash, found);
    if (!found) return false;
    --m_rowCount;
    if (--m_slots[slot].count == 0) {
        freeSlot(slot);
        --m_size;
    }
    return true;
}

void KeySet::rehash(std::size_t slots) {
    std::vector<Slot> old = std::exchange(m_slots, std::vector<Slot>(slots, Slot{0, 0, 0}));
    for (const Slot& s : old) {
        if (s.count == 0) continue;
        bool found = false;
        m_slots[find({s.high, s.low}, found)] = s;
    }
}

void KeySet::clear() {
    m_size = 0;
    m_rowCount = 0;
    m_level = -1;
    std::vector<Slot>(kFirstSlots, Slot{0, 0, 0}).swap(m_slots);
}

void KeySet::reserve(std::size_t keys) {
    const std::size_t slots = slotsFor(keys);
    if (slots > m_slots.size()) rehash(slots);
}

} // namespace verdan
