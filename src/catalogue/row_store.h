#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace verdan {

// Rows as texts packed into large blocks: no allocation per row or per cell, and removing rows
// only moves 12-byte references. A rewritten row leaves its old bytes behind;
// they are reclaimed once they outweigh the live ones. A store of rows that get edited writes
// each with a few spare bytes behind it, so that a mark set on a million rows grows each of them
// where it lies.
class RowStore {
public:
    // Room for a mark, " x".
    static constexpr std::size_t kMarkSpare = 2;

    RowStore() = default;
    explicit RowStore(std::size_t spare) : m_spare(std::min(spare, kMostSpare)) {}
    RowStore(RowStore&& other) noexcept;
    RowStore& operator=(RowStore&& other) noexcept;
    RowStore(const RowStore&) = delete;
    RowStore& operator=(const RowStore&) = delete;

    std::size_t size() const { return m_refs.size(); }
    bool empty() const { return m_refs.empty(); }
    std::string_view row(std::size_t i) const {
        const Ref& r = m_refs[i];
        return {m_blocks[r.block].data.get() + r.offset, r.length};
    }

    // Asks for row i's reference ahead of its use, for rows read here and there: its text can only
    // be asked for once the reference is there.
    void prefetchRef(std::size_t i) const {
#if defined(__GNUC__)
        __builtin_prefetch(m_refs.data() + i);
#else
        (void)i;
#endif
    }

    void push(std::string_view text);
    // Room for a row of at most `maxBytes` at the end of the store; finish it with commitRow.
    char* beginRow(std::size_t maxBytes);
    void commitRow(std::size_t bytes);
    void set(std::size_t i, std::string_view text);
    // Replaces bytes [start, end) of row i by `text` (which must not lie in this store), in place
    // when the row's spare bytes allow it.
    void splice(std::size_t i, std::size_t start, std::size_t end, std::string_view text);
    void clear();

    // keep[i] false drops row i; one pass.
    void keep(const std::vector<bool>& keep);
    // Drops the rows at these positions (ascending, each once, each below size()); moves only the
    // references after the first one.
    void remove(const std::vector<std::size_t>& sortedRows);
    // The first `kept` rows stay; row kept + i of the result is row order[i] of the store; rows
    // not named are dropped. The rows are written anew in that order; when the order names every
    // row of a large store once, a slice of the rows at a time, so that the store never holds a
    // second copy of them all.
    void reorder(const std::vector<std::size_t>& order, std::size_t kept = 0);
    // The same when the order names every row once, moving only the references: for an order that
    // keeps neighbours together (a reversal), where writing the rows anew costs more than it saves.
    void permute(const std::vector<std::size_t>& order, std::size_t kept = 0);
    // reorder by slices of about `sliceBytes` of rows, in blocks of `blockBytes`, whatever the
    // store's size.
    void reorderInSlices(const std::vector<std::size_t>& order, std::size_t sliceBytes,
                         std::size_t blockBytes, std::size_t kept = 0);
    // Moves rows [first, end) of other to the end, taking its blocks over.
    void appendFrom(RowStore&& other, std::size_t first);

    void reserveRows(std::size_t rows) {
        m_refs.reserve(rows);
    }
    // Blocks for about `bytes` more of rows, made now so that their pages can be asked for ahead
    // of the rows (prefault), on another thread; returns where they lie. What is left unfilled
    // goes at releaseSpare.
    using Span = std::pair<char*, std::size_t>;
    std::vector<Span> reserveBytes(std::size_t bytes);
    void releaseSpare();
    // Has the system give these pages now, where it can; touches no object, so it may run while
    // the store fills them.
    static void prefault(const std::vector<Span>& spans);
    std::size_t memoryUsage() const;

private:
    // Eight bytes a row: a million rows spend 8 MB on their references. A row is never longer than
    // kLongestRow (list lines are at most a few kilobytes), so that it starts inside its block.
    struct Ref {
        std::uint64_t block : 18;
        std::uint64_t offset : 22;
        std::uint64_t length : 21;
        std::uint64_t spare : 3; // bytes after the row that belong to it
        std::size_t room() const { return std::size_t{length} + spare; }
    };
    static_assert(sizeof(Ref) == 8);
    static constexpr std::size_t kLongestRow = (std::size_t{1} << 21) - 1;
    static constexpr std::size_t kMostBlocks = std::size_t{1} << 18;
    static constexpr std::size_t kMostSpare = 7;
    struct Block {
        std::unique_ptr<char[]> data;
        std::size_t capacity = 0;
        std::size_t used = 0;
    };

    class SlicedReorder;
    // The rows [0, kept) followed by `rows`, without a copy of them.
    struct Order {
        const std::vector<std::size_t>& rows;
        std::size_t kept;
        std::size_t size() const { return kept + rows.size(); }
        std::size_t operator[](std::size_t k) const { return k < kept ? k : rows[k - kept]; }
    };

    char* reserveTail(std::size_t bytes);
    bool namesEachRowOnce(const Order& order) const;
    void copyInOrder(const Order& order);
    // Puts the references in the new order where they are, a cycle of the permutation at a time.
    void permuteReferences(const Order& order);
    void compactIfWasteful();
    // After a sliced reorder: the blocks it freed go, the others are numbered anew.
    void dropFreedBlocks();

    std::vector<Block> m_blocks;
    std::vector<Block> m_spareBlocks; // from reserveBytes, taken in order
    std::size_t m_nextSpare = 0;
    std::vector<Ref> m_refs;
    std::size_t m_liveBytes = 0;
    std::size_t m_usedBytes = 0;
    std::size_t m_spare = 0;
};

} // namespace verdan
