#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace verdan {

// The distinct index keys of the table (ListBox_media_key). Two keys are the same when they are
// equal without regard to the case of the letters Windows-1252 holds. A key is kept as a 96-bit
// fingerprint of its folded text, not as the text: a million keys take 18 MB instead of about
// 100, and two different keys among a million share a fingerprint with a chance of about one in
// 10^17, far below that of a memory error. Each key counts the rows that hold it, so that
// deleting rows takes out what they alone held without building the set again.
class KeySet {
public:
    KeySet();
    KeySet(const KeySet&) = default;
    KeySet& operator=(const KeySet&) = default;
    // The set moved from is left empty, ready for use.
    KeySet(KeySet&& other);
    KeySet& operator=(KeySet&& other);

    bool contains(std::string_view key) const { return contains(hashOf(key)); }
    // False when an equal key is already there (its count stays).
    bool insert(std::string_view key) { return insert(hashOf(key)); }
    // One more row holds the key; true when it is new.
    bool add(std::string_view key) { return add(hashOf(key)); }
    // One row fewer holds the key, which goes with its last row; false when it is not there.
    bool remove(std::string_view key) { return remove(hashOf(key)); }
    void clear();
    std::size_t size() const { return m_size; }
    // Rows counted over every key.
    std::size_t rowCount() const { return m_rowCount; }
    std::size_t countOf(std::string_view key) const;
    // After duplicate rows were dropped: every key is held by one row.
    void countEachOnce();
    void reserve(std::size_t keys);
    // Bytes held, for the memory figures.
    std::size_t memoryUsage() const { return m_slots.capacity() * sizeof(Slot); }

    // The fingerprint of a key's folded text.
    struct Hash {
        std::uint64_t high = 0;
        std::uint32_t low = 0;
    };
    // For batches: the fingerprint of a key, a hint to load its slot early, and the calls that
    // take it in place of the key.
    static Hash hashOf(std::string_view key);
    // The same for a key whose bytes may be changed: it is folded where it lies.
    static Hash hashOfFolding(char* key, std::size_t n);
    void prefetch(Hash hash) const;
    bool contains(Hash hash) const;
    bool insert(Hash hash);
    bool add(Hash hash);
    bool remove(Hash hash);

    // The index level at which the set holds the key of every row of the table, -1 when it
    // holds something else (keys kept from another list, keys of two levels).
    int level() const { return m_level; }
    void setLevel(int level) { m_level = level; }

private:
    // An open table probed in sequence; a slot whose count is 0 is free.
    struct Slot {
        std::uint64_t high;
        std::uint32_t low;
        std::uint32_t count;
    };
    std::size_t homeOf(std::uint64_t high) const;
    // The slot of the key, or of the free slot where it would go; `found` says which.
    std::size_t find(Hash hash, bool& found) const;
    // Adds a key not there at the free slot `slot`, growing the table when it is too full.
    void insertNew(Hash hash, std::size_t slot, std::uint32_t count);
    void rehash(std::size_t slots);
    // Empties a slot, moving later keys of its run back so that every look-up still finds them.
    void freeSlot(std::size_t slot);

    std::vector<Slot> m_slots;
    std::size_t m_size = 0;
    std::size_t m_rowCount = 0;
    int m_level = -1;
};

} // namespace verdan
