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
// Each key counts the rows that hold it, so that deleting rows takes out what they alone held
// without building the set again.
class KeySet {
public:
    KeySet();

    bool contains(std::string_view key) const { return contains(key, hashOf(key)); }
    // False when an equal key is already there (its spelling and count stay).
    bool insert(std::string_view key) { return insert(key, hashOf(key)); }
    // One more row holds the key; true when it is new.
    bool add(std::string_view key) { return add(key, hashOf(key)); }
    // One row fewer holds the key, which goes with its last row; false when it is not there.
    bool remove(std::string_view key) { return remove(key, hashOf(key)); }
    void clear();
    std::size_t size() const { return m_texts.size(); }
    // Rows counted over every key.
    std::size_t rowCount() const { return m_rowCount; }
    std::size_t countOf(std::string_view key) const;
    // After duplicate rows were dropped: every key is held by one row.
    void countEachOnce();
    void reserve(std::size_t keys);
    // The keys as they were first spelled, in case-insensitive order (the hidden sorted list).
    std::vector<std::string> sortedKeys() const;

    // For batches: the hash of a key, a hint to load its slot early, and the calls that take it.
    using Hash = std::uint64_t;
    static Hash hashOf(std::string_view key);
    void prefetch(Hash hash) const;
    bool contains(std::string_view key, Hash hash) const;
    bool insert(std::string_view key, Hash hash);
    bool add(std::string_view key, Hash hash);
    bool remove(std::string_view key, Hash hash);

    // The index level at which the set holds the key of every row of the table, -1 when it
    // holds something else (keys kept from another list, keys of two levels).
    int level() const { return m_level; }
    void setLevel(int level) { m_level = level; }

private:
    // Index of the equal key, or -1 with `slot` at the free slot where it would go.
    std::int64_t find(std::string_view key, std::uint64_t hash, std::size_t& slot) const;
    void rehash(std::size_t slots);
    void insertNew(std::string_view key, std::uint64_t hash, std::size_t slot);
    // Empties a slot, moving later keys of its run back so that every look-up still finds them.
    void freeSlot(std::size_t slot);
    std::size_t slotOf(std::size_t index) const;

    RowStore m_texts;
    // Low half of each key's hash: with the high half kept in its slot, growing needs no folding.
    std::vector<std::uint32_t> m_hashLow;
    // High half of the hash, then key index + 1; 0 for a free slot.
    std::vector<std::uint64_t> m_slots;
    std::vector<std::uint32_t> m_counts;
    std::size_t m_rowCount = 0;
    int m_level = -1;
};

} // namespace verdan
