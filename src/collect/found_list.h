#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace verdan {

// The found list of the collection window: lines kept sorted and free of duplicates, both without
// regard to letter case. Lines live in sorted chunks of bounded size, so an insertion costs a
// binary search and a short move however long the list grows (scans of a million files).
class FoundList {
public:
    // False when a line equal to it, case ignored, is already there.
    bool insert(std::string line);
    // Inserts many lines in one pass (a scan's batch); of lines equal case ignored, the one
    // already listed or else the first of the batch stays. Returns how many were added.
    std::size_t insert(std::vector<std::string> lines);
    bool contains(std::string_view line) const;
    // Position of the line equal to it, case ignored.
    std::optional<std::size_t> indexOf(std::string_view line) const;

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    const std::string& at(std::size_t index) const;

    void clear();
    // Removes the lines at the given positions (any order, duplicates allowed) in one pass.
    void erase(std::vector<std::size_t> positions);

    std::vector<std::string> lines() const;

    class const_iterator {
    public:
        using value_type = std::string;
        using difference_type = std::ptrdiff_t;
        using reference = const std::string&;
        using pointer = const std::string*;
        using iterator_category = std::forward_iterator_tag;
        const_iterator() = default;
        reference operator*() const { return (*m_chunks)[m_chunk][m_pos]; }
        pointer operator->() const { return &**this; }
        const_iterator& operator++();
        const_iterator operator++(int) {
            auto copy = *this;
            ++*this;
            return copy;
        }
        bool operator==(const const_iterator& o) const { return m_chunk == o.m_chunk && m_pos == o.m_pos; }

    private:
        friend class FoundList;
        const_iterator(const std::vector<std::vector<std::string>>* chunks, std::size_t chunk)
            : m_chunks(chunks), m_chunk(chunk) {}
        const std::vector<std::vector<std::string>>* m_chunks = nullptr;
        std::size_t m_chunk = 0;
        std::size_t m_pos = 0;
    };
    const_iterator begin() const { return {&m_chunks, 0}; }
    const_iterator end() const { return {&m_chunks, m_chunks.size()}; }

private:
    static constexpr std::size_t kMaxChunk = 256;
    std::size_t chunkFor(std::string_view line) const;
    // Merges sorted, duplicate-free lines into chunk c; the merged chunk is split to size.
    std::size_t mergeInto(std::size_t c, std::vector<std::string>::iterator first,
                          std::vector<std::string>::iterator last);
    void rebuildStarts() const;

    std::vector<std::vector<std::string>> m_chunks; // never holds an empty chunk
    std::size_t m_size = 0;
    mutable std::vector<std::size_t> m_starts; // position of each chunk's first line
    mutable bool m_startsValid = true;
};

} // namespace verdan
