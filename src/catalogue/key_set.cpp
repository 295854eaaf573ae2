#include "catalogue/key_set.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "catalogue/word_scan.h"
#include "util/utf8.h"

namespace verdan {
namespace {

using wordscan::kHighBits;
using wordscan::kOnes;

constexpr std::size_t kFirstSlots = 16;

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

std::uint64_t hashBytes(const char* s, std::size_t n) {
    std::uint64_t h = 0x9E3779B97F4A7C15ULL ^ n;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) h = std::rotl((h ^ wordscan::load(s + i)) * 0x87C37B91114253D5ULL, 31);
    std::uint64_t tail = 0;
    std::memcpy(&tail, s + i, n - i);
    return finalMix(h ^ tail);
}

} // namespace

KeySet::KeySet() : m_slots(kFirstSlots, 0) {}

std::uint64_t KeySet::hashOf(std::string_view key) {
    std::array<char, 512> small;
    if (key.size() <= small.size()) {
        key.copy(small.data(), key.size());
        if (foldInPlace(small.data(), key.size())) return hashBytes(small.data(), key.size());
    }
    const std::string folded = utf8::fold(key);
    return hashBytes(folded.data(), folded.size());
}

void KeySet::prefetch(std::uint64_t hash) const {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(&m_slots[static_cast<std::size_t>(hash) & (m_slots.size() - 1)]);
#else
    (void)hash;
#endif
}

std::int64_t KeySet::find(std::string_view key, std::uint64_t hash, std::size_t& slot) const {
    const std::size_t mask = m_slots.size() - 1;
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    for (slot = static_cast<std::size_t>(hash) & mask;; slot = (slot + 1) & mask) {
        const std::uint64_t s = m_slots[slot];
        if (s == 0) return -1;
        if (static_cast<std::uint32_t>(s >> 32) != tag) continue;
        const auto index = static_cast<std::size_t>(s & 0xFFFFFFFFu) - 1;
        if (utf8::compareFolded(m_texts.row(index), key) == 0) return static_cast<std::int64_t>(index);
    }
}

bool KeySet::contains(std::string_view key, std::uint64_t hash) const {
    std::size_t slot = 0;
    return find(key, hash, slot) >= 0;
}

void KeySet::insertNew(std::string_view key, std::uint64_t hash, std::size_t slot) {
    m_texts.push(key);
    m_hashLow.push_back(static_cast<std::uint32_t>(hash));
    m_counts.push_back(1);
    ++m_rowCount;
    m_slots[slot] = (hash & 0xFFFFFFFF00000000ULL) | m_texts.size();
    if (m_texts.size() * 2 > m_slots.size()) rehash(m_slots.size() * 2);
}

bool KeySet::insert(std::string_view key, std::uint64_t hash) {
    std::size_t slot = 0;
    if (find(key, hash, slot) >= 0) return false;
    insertNew(key, hash, slot);
    return true;
}

bool KeySet::add(std::string_view key, std::uint64_t hash) {
    std::size_t slot = 0;
    const std::int64_t index = find(key, hash, slot);
    if (index < 0) {
        insertNew(key, hash, slot);
        return true;
    }
    ++m_counts[static_cast<std::size_t>(index)];
    ++m_rowCount;
    return false;
}

std::size_t KeySet::countOf(std::string_view key) const {
    std::size_t slot = 0;
    const std::int64_t index = find(key, hashOf(key), slot);
    return index < 0 ? 0 : m_counts[static_cast<std::size_t>(index)];
}

void KeySet::countEachOnce() {
    std::fill(m_counts.begin(), m_counts.end(), 1u);
    m_rowCount = m_counts.size();
}

std::size_t KeySet::slotOf(std::size_t index) const {
    const std::size_t mask = m_slots.size() - 1;
    std::size_t slot = m_hashLow[index] & mask;
    while ((m_slots[slot] & 0xFFFFFFFFu) != index + 1) slot = (slot + 1) & mask;
    return slot;
}

void KeySet::freeSlot(std::size_t hole) {
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t slot = (hole + 1) & mask; m_slots[slot] != 0; slot = (slot + 1) & mask) {
        const auto index = static_cast<std::size_t>(m_slots[slot] & 0xFFFFFFFFu) - 1;
        const std::size_t home = m_hashLow[index] & mask;
        // A key may fill the hole unless its home lies after the hole on the way to where it is.
        if (((slot - home) & mask) >= ((slot - hole) & mask)) {
            m_slots[hole] = m_slots[slot];
            hole = slot;
        }
    }
    m_slots[hole] = 0;
}

bool KeySet::remove(std::string_view key, std::uint64_t hash) {
    std::size_t slot = 0;
    const std::int64_t found = find(key, hash, slot);
    if (found < 0) return false;
    const auto index = static_cast<std::size_t>(found);
    --m_rowCount;
    if (--m_counts[index] > 0) return true;
    freeSlot(slot);
    // The last key takes the place of the one gone, so that indexes stay dense.
    const std::size_t last = m_texts.size() - 1;
    if (index != last) {
        std::uint64_t& moved = m_slots[slotOf(last)];
        moved = (moved & 0xFFFFFFFF00000000ULL) | (index + 1);
        m_texts.set(index, m_texts.row(last));
        m_hashLow[index] = m_hashLow[last];
        m_counts[index] = m_counts[last];
    }
    m_texts.popBack();
    m_hashLow.pop_back();
    m_counts.pop_back();
    return true;
}

void KeySet::rehash(std::size_t slots) {
    std::vector<std::uint64_t> fresh(slots, 0);
    const std::size_t mask = slots - 1;
    for (std::uint64_t s : m_slots) {
        if (s == 0) continue;
        const auto index = static_cast<std::size_t>(s & 0xFFFFFFFFu) - 1;
        std::size_t slot = m_hashLow[index] & mask;
        while (fresh[slot] != 0) slot = (slot + 1) & mask;
        fresh[slot] = s;
    }
    m_slots.swap(fresh);
}

void KeySet::clear() {
    m_texts.clear();
    m_hashLow.clear();
    m_counts.clear();
    m_rowCount = 0;
    m_level = -1;
    m_slots.assign(kFirstSlots, 0);
}

void KeySet::reserve(std::size_t keys) {
    m_texts.reserveRows(keys);
    m_hashLow.reserve(keys);
    m_counts.reserve(keys);
    std::size_t slots = m_slots.size();
    while (slots < keys * 2 + 2) slots *= 2;
    if (slots != m_slots.size()) rehash(slots);
}

std::vector<std::string> KeySet::sortedKeys() const {
    std::vector<std::string> keys;
    keys.reserve(m_texts.size());
    for (std::size_t i = 0; i < m_texts.size(); ++i) keys.emplace_back(m_texts.row(i));
    std::sort(keys.begin(), keys.end(), utf8::FoldedLess{});
    return keys;
}

} // namespace verdan
