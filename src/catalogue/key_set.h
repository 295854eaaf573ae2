#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/row_store.h"

namespace verdan {

// The distinct index keys of the table (ListBox_media_key). Two keys are the same when they are
// equal without regard to the case of the letters Windows-1252 holds; the spelling added first is
// kept. Hashed on the folded text, so a look-up costs the same for a million keys as for ten.
class KeySet {
public:
    KeySet();

    bool contains(std::string_view key) const { return contains(key, hashOf(key)); }
    // False when an equal key is already there (its spelling stays).
    bool insert(std::string_view key) { return insert(key, hashOf(key)); }
    void clear();
    std::size_t size() const { return m_texts.size(); }
    void reserve(std::size_t keys);
    // The keys as they were first spelled, in case-insensitive order (the hidden sorted list).
    std::vector<std::string> sortedKeys() const;

    // For batches: the hash of a key, a hint to load its slot early, and the calls that take it.
    static std::uint64_t hashOf(std::string_view key);
    void prefetch(std::uint64_t hash) const;
    bool contains(std::string_view key, std::uint64_t hash) const;
    bool insert(std::string_view key, std::uint64_t hash);

private:
    // Index of the equal key, or -1 with `slot` at the free slot where it would go.
    std::int64_t find(std::string_view key, std::uint64_t hash, std::size_t& slot) const;
    void rehash(std::size_t slots);

    RowStore m_texts;
    // Low half of each key's hash: with the high half kept in its slot, growing needs no folding.
    std::vector<std::uint32_t> m_hashLow;
    // High half of the hash, then key index + 1; 0 for a free slot.
    std::vector<std::uint64_t> m_slots;
};

} // namespace verdan
