#include "catalogue/row_store.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

#include "platform/system.h"
#include "util/mask.h"

namespace verdan {
namespace {
constexpr std::size_t kFirstBlock = 64 * 1024;
constexpr std::size_t kLargestBlock = 4 * 1024 * 1024;
// Waste below this is never worth a compaction.
constexpr std::size_t kTolerableWaste = 1024 * 1024;
// A reorder of a store this large goes by slices of about kSliceBytes, in blocks of kSliceBlock.
constexpr std::size_t kSlicedReorder = 8 * 1024 * 1024;
// What the reorder holds beyond the rows is about a slice and a block per slice.
constexpr std::size_t kSliceBytes = 6 * 1024 * 1024;
constexpr std::size_t kSliceBlock = 256 * 1024;
constexpr std::size_t kMostSlices = 256;

void prefetchLine(const char* p) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(p);
#endif
}
} // namespace

RowStore::RowStore(RowStore&& other) noexcept
    : m_blocks(std::move(other.m_blocks)), m_spareBlocks(std::move(other.m_spareBlocks)),
      m_nextSpare(std::exchange(other.m_nextSpare, 0)), m_refs(std::move(other.m_refs)),
      m_liveBytes(std::exchange(other.m_liveBytes, 0)), m_usedBytes(std::exchange(other.m_usedBytes, 0)),
      m_spare(other.m_spare) {
    other.m_blocks.clear();
    other.m_spareBlocks.clear();
    other.m_refs.clear();
}

RowStore& RowStore::operator=(RowStore&& other) noexcept {
    if (this != &other) {
        m_blocks = std::move(other.m_blocks);
        m_spareBlocks = std::move(other.m_spareBlocks);
        m_nextSpare = std::exchange(other.m_nextSpare, 0);
        m_refs = std::move(other.m_refs);
        m_liveBytes = std::exchange(other.m_liveBytes, 0);
        m_usedBytes = std::exchange(other.m_usedBytes, 0);
        m_spare = other.m_spare;
        other.m_blocks.clear();
        other.m_spareBlocks.clear();
        other.m_refs.clear();
    }
    return *this;
}

char* RowStore::reserveTail(std::size_t bytes) {
    if (!m_blocks.empty()) {
        Block& tail = m_blocks.back();
        if (tail.capacity - tail.used >= bytes) return tail.data.get() + tail.used;
    }
    if (bytes > kLongestRow + kMostSpare) throw std::length_error("row too long");
    if (m_nextSpare < m_spareBlocks.size() && m_spareBlocks[m_nextSpare].capacity >= bytes) {
        m_blocks.push_back(std::move(m_spareBlocks[m_nextSpare++]));
        return m_blocks.back().data.get();
    }
    std::size_t size = m_blocks.empty() ? kFirstBlock : std::min(m_blocks.back().capacity * 2, kLargestBlock);
    size = std::max(size, bytes);
    Block block;
    block.data.reset(new char[size]);
    block.capacity = size;
    m_blocks.push_back(std::move(block));
    return m_blocks.back().data.get();
}

void RowStore::push(std::string_view text) {
    char* p = beginRow(text.size());
    if (!text.empty()) std::memcpy(p, text.data(), text.size());
    commitRow(text.size());
}

char* RowStore::beginRow(std::size_t maxBytes) {
    return reserveTail(maxBytes + m_spare);
}

void RowStore::commitRow(std::size_t bytes) {
    Block& tail = m_blocks.back();
    const std::size_t spare = std::min(m_spare, tail.capacity - tail.used - bytes);
    // Made whole in a register and stored once: fields filled in the vector's fresh memory would
    // read it first, and each page of the references would be faulted twice (read, then copied
    // on write), with a stall at every row for the store just made.
    static_assert(sizeof(Ref) == sizeof(std::uint64_t));
    Ref ref{};
    ref.block = m_blocks.size() - 1;
    ref.offset = tail.used;
    ref.length = bytes;
    ref.spare = spare;
    std::uint64_t packed;
    std::memcpy(&packed, &ref, sizeof packed);
    std::memcpy(&m_refs.emplace_back(), &packed, sizeof packed);
    tail.used += bytes + spare;
    m_usedBytes += bytes + spare;
    m_liveBytes += bytes;
}

void RowStore::set(std::size_t i, std::string_view text) {
    Ref& r = m_refs[i];
    if (text.size() <= r.room()) {
        // In place; bytes given up stay the row's spare until the next compaction.
        std::memmove(m_blocks[r.block].data.get() + r.offset, text.data(), text.size());
        m_liveBytes = m_liveBytes - r.length + text.size();
        r.spare = static_cast<std::uint32_t>(std::min(kMostSpare, r.room() - text.size()));
        r.length = static_cast<std::uint32_t>(text.size());
    } else {
        // Blocks never move, so `text` stays valid even when it points into this store.
        const std::uint32_t oldLength = r.length;
        char* p = beginRow(text.size());
        std::memcpy(p, text.data(), text.size());
        commitRow(text.size());
        m_refs[i] = m_refs.back();
        m_refs.pop_back();
        m_liveBytes -= oldLength;
    }
    compactIfWasteful();
}

void RowStore::splice(std::size_t i, std::size_t start, std::size_t end, std::string_view text) {
    Ref r = m_refs[i];
    const std::size_t length = r.length - (end - start) + text.size();
    if (length <= r.room()) {
        char* p = m_blocks[r.block].data.get() + r.offset;
        std::memmove(p + start + text.size(), p + end, r.length - end);
        std::memcpy(p + start, text.data(), text.size());
        m_liveBytes = m_liveBytes - r.length + length;
        m_refs[i].spare = static_cast<std::uint32_t>(std::min(kMostSpare, r.room() - length));
        m_refs[i].length = static_cast<std::uint32_t>(length);
        return;
    }
    // Moved to the tail; the old bytes are waste.
    char* out = beginRow(length);
    const char* old = m_blocks[r.block].data.get() + r.offset;
    std::memcpy(out, old, start);
    std::memcpy(out + start, text.data(), text.size());
    std::memcpy(out + start + text.size(), old + end, r.length - end);
    commitRow(length);
    m_refs[i] = m_refs.back();
    m_refs.pop_back();
    m_liveBytes -= r.length;
    compactIfWasteful();
}

void RowStore::clear() {
    m_blocks.clear();
    releaseSpare();
    m_refs.clear();
    m_refs.shrink_to_fit();
    m_liveBytes = 0;
    m_usedBytes = 0;
}

void RowStore::keep(const std::vector<bool>& keep) {
    remove(clearedPositions(keep, 0, m_refs.size()));
}

void RowStore::remove(const std::vector<std::size_t>& sortedRows) {
    // The rows before the first one removed stay where they are; the runs between removed rows
    // move in one piece each.
    std::size_t out = SIZE_MAX; // where the next kept row goes, once a row was removed
    std::size_t next = 0;       // first row not yet placed
    for (const std::size_t i : sortedRows) {
        if (out == SIZE_MAX) {
            out = i;
        } else {
            std::copy(m_refs.begin() + static_cast<std::ptrdiff_t>(next),
                      m_refs.begin() + static_cast<std::ptrdiff_t>(i),
                      m_refs.begin() + static_cast<std::ptrdiff_t>(out));
            out += i - next;
        }
        m_liveBytes -= m_refs[i].length;
        next = i + 1;
    }
    if (out == SIZE_MAX) return;
    std::copy(m_refs.begin() + static_cast<std::ptrdiff_t>(next), m_refs.end(),
              m_refs.begin() + static_cast<std::ptrdiff_t>(out));
    out += m_refs.size() - next;
    m_refs.resize(out);
    compactIfWasteful();
}

void RowStore::reorder(const std::vector<std::size_t>& order, std::size_t kept) {
    if (m_usedBytes >= kSlicedReorder) {
        reorderInSlices(order, kSliceBytes, kSliceBlock, kept);
    } else {
        copyInOrder({order, std::min(kept, m_refs.size())});
    }
}

void RowStore::copyInOrder(const Order& order) {
    // The rows are rewritten in their new order, so that every later pass over the table (a
    // search, a count, a save) reads memory in sequence rather than jumping at every row.
    RowStore fresh(m_spare);
    fresh.reserveRows(order.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        const std::size_t i = order[k];
        fresh.beginRow(m_refs.at(i).length);
        fresh.commitRow(m_refs[i].length);
    }
    // Where each row goes; a row named twice is copied from the new order instead.
    constexpr std::uint32_t kNowhere = UINT32_MAX;
    std::vector<std::uint32_t> target(m_refs.size(), kNowhere);
    bool repeated = false;
    for (std::size_t k = 0; k < order.size() && !repeated; ++k) {
        repeated = target[order[k]] != kNowhere;
        target[order[k]] = static_cast<std::uint32_t>(k);
    }
    auto copy = [&](std::size_t from, std::size_t to) {
        const Ref& r = fresh.m_refs[to];
        std::memcpy(fresh.m_blocks[r.block].data.get() + r.offset, row(from).data(), r.length);
    };
    if (repeated) {
        for (std::size_t k = 0; k < order.size(); ++k) copy(order[k], k);
    } else {
        // Reading in the old order and writing where each row goes: the stores do not stall.
        for (std::size_t i = 0; i < m_refs.size(); ++i) {
            if (target[i] != kNowhere) copy(i, target[i]);
        }
    }
    *this = std::move(fresh);
}

bool RowStore::namesEachRowOnce(const Order& order) const {
    std::vector<bool> named(m_refs.size(), false);
    bool once = order.size() == m_refs.size();
    for (std::size_t k = 0; k < order.size() && once; ++k) {
        once = order[k] < m_refs.size() && !named[order[k]];
        if (once) named[order[k]] = true;
    }
    return once;
}

void RowStore::permute(const std::vector<std::size_t>& rows, std::size_t kept) {
    const Order order{rows, std::min(kept, m_refs.size())};
    // Two references to the same bytes would let an edit of one row change the other.
    if (!namesEachRowOnce(order)) {
        copyInOrder(order);
        return;
    }
    permuteReferences(order);
}

void RowStore::permuteReferences(const Order& order) {
    // A second vector of references would cost 8 bytes a row at the moment the order's own
    // vectors are there too; one bit a row tells the places already filled. The orders that
    // come here keep neighbours together, so that the cycles read memory close by.
    std::vector<bool> placed(m_refs.size(), false);
    for (std::size_t start = order.kept; start < m_refs.size(); ++start) {
        if (placed[start]) continue;
        const Ref first = m_refs[start];
        std::size_t at = start;
        for (;;) {
            placed[at] = true;
            const std::size_t from = order[at];
            if (from == start) {
                m_refs[at] = first;
                break;
            }
            m_refs[at] = m_refs[from];
            at = from;
        }
    }
}

// Copying every row at once to its new place would hold all of them twice. Instead the rows are
// first gathered, block by block, into slices of consecutive new positions, each old block freed as
// soon as its rows are out; then each slice is written out in its final order and freed. The
// store stays whole at every step (a failed allocation leaves it valid, in the new order), and
// what it holds beyond its rows is about one slice and a block per slice.
// The two passes work on the references already in their new order. Blocks of one size go
// round: from the old rows to the slices, from the slices to the rows' final places.
class RowStore::SlicedReorder {
public:
    SlicedReorder(RowStore& store, std::size_t blockBytes, std::size_t slices)
        : m_store(store), m_blockBytes(blockBytes), m_slices(slices),
          m_perSlice((store.m_refs.size() + slices - 1) / slices) {}

    // Moves the rows, one old block after the other, to the slice of their new position, and
    // frees each old block once its rows are out. Returns the blocks of each slice.
    std::vector<std::vector<std::size_t>> gatherIntoSlices() {
        const std::size_t oldBlocks = m_store.m_blocks.size();
        std::vector<std::uint32_t> firstOfBlock, rowsOfBlock;
        rowsByOldBlock(firstOfBlock, rowsOfBlock);
        std::vector<std::size_t> sliceTail(m_slices, SIZE_MAX);
        std::vector<std::vector<std::size_t>> sliceBlocks(m_slices);
        for (std::size_t b = 0; b < oldBlocks; ++b) {
            for (std::uint32_t i = firstOfBlock[b]; i < firstOfBlock[b + 1]; ++i) {
                if (i + kAhead < firstOfBlock[b + 1]) fetchRow(rowsOfBlock[i + kAhead]);
                const std::size_t k = rowsOfBlock[i];
                const std::size_t slice = k / m_perSlice;
                const std::size_t before = m_store.m_blocks.size();
                moveRow(k, sliceTail[slice], 0);
                if (m_store.m_blocks.size() != before) sliceBlocks[slice].push_back(sliceTail[slice]);
            }
            release(b);
        }
        return sliceBlocks;
    }

    // Writes each slice out in its final order, with the store's spare bytes behind each row, and
    // frees its blocks.
    void writeInPlace(const std::vector<std::vector<std::size_t>>& sliceBlocks) {
        const std::size_t rows = m_store.m_refs.size();
        std::size_t tail = SIZE_MAX;
        for (std::size_t slice = 0; slice < m_slices; ++slice) {
            const std::size_t end = std::min(rows, (slice + 1) * m_perSlice);
            for (std::size_t k = slice * m_perSlice; k < end; ++k) {
                if (k + kAhead < rows) fetchRow(k + kAhead);
                moveRow(k, tail, m_store.m_spare);
            }
            for (std::size_t b : sliceBlocks[slice]) release(b);
        }
    }

private:
    // The rows are read out of order: each is asked for a few rows ahead.
    static constexpr std::size_t kAhead = 8;

    // The new positions of the rows of each old block, block after block (a counting sort):
    // those of block b are rowsOfBlock[firstOfBlock[b]] up to firstOfBlock[b + 1].
    void rowsByOldBlock(std::vector<std::uint32_t>& firstOfBlock,
                        std::vector<std::uint32_t>& rowsOfBlock) const {
        const std::vector<Ref>& refs = m_store.m_refs;
        const std::size_t oldBlocks = m_store.m_blocks.size();
        firstOfBlock.assign(oldBlocks + 1, 0);
        for (const Ref& r : refs) ++firstOfBlock[r.block + 1];
        for (std::size_t b = 0; b < oldBlocks; ++b) firstOfBlock[b + 1] += firstOfBlock[b];
        rowsOfBlock.resize(refs.size());
        std::vector<std::uint32_t> next(firstOfBlock.begin(), firstOfBlock.end() - 1);
        for (std::size_t k = 0; k < refs.size(); ++k)
            rowsOfBlock[next[refs[k].block]++] = static_cast<std::uint32_t>(k);
    }

    void release(std::size_t b) {
        Block& block = m_store.m_blocks[b];
        if (block.capacity == m_blockBytes) {
            m_pool.push_back(std::move(block.data));
        } else {
            block.data.reset();
        }
        m_store.m_usedBytes -= block.used;
        block.capacity = 0;
        block.used = 0;
    }

    // Appends row k to `tail` (an index in m_blocks, or SIZE_MAX for none yet) with up to `spare`
    // bytes of room behind it, starting a block when it does not fit.
    void moveRow(std::size_t k, std::size_t& tail, std::size_t spare) {
        std::vector<Block>& blocks = m_store.m_blocks;
        Ref& r = m_store.m_refs[k];
        const std::size_t length = r.length;
        if (tail == SIZE_MAX || blocks[tail].capacity - blocks[tail].used < length) {
            Block block;
            block.capacity = std::max(m_blockBytes, length + spare);
            if (block.capacity == m_blockBytes && !m_pool.empty()) {
                block.data = std::move(m_pool.back());
                m_pool.pop_back();
            } else {
                block.data.reset(new char[block.capacity]);
            }
            blocks.push_back(std::move(block));
            tail = blocks.size() - 1;
        }
        Block& to = blocks[tail];
        const std::size_t room = std::min(spare, to.capacity - to.used - length);
        std::memcpy(to.data.get() + to.used, blocks[r.block].data.get() + r.offset, length);
        r.block = static_cast<std::uint32_t>(tail);
        r.offset = static_cast<std::uint32_t>(to.used);
        r.spare = static_cast<std::uint32_t>(room);
        to.used += length + room;
        m_store.m_usedBytes += length + room;
    }

    void fetchRow(std::size_t k) const {
        const Ref& r = m_store.m_refs[k];
        const char* p = m_store.m_blocks[r.block].data.get() + r.offset;
        for (std::size_t at = 0; at < r.length; at += 64) prefetchLine(p + at);
    }

    RowStore& m_store;
    const std::size_t m_blockBytes;
    const std::size_t m_slices;
    const std::size_t m_perSlice;
    std::vector<std::unique_ptr<char[]>> m_pool;
};

void RowStore::reorderInSlices(const std::vector<std::size_t>& rows, std::size_t sliceBytes,
                               std::size_t blockBytes, std::size_t kept) {
    const Order order{rows, std::min(kept, m_refs.size())};
    // A reference names a place inside a block of at most kLargestBlock, among kMostBlocks: blocks
    // so small that the old, the gathered and the final ones could outnumber them are not used.
    blockBytes = std::clamp<std::size_t>(blockBytes, 1, kLargestBlock);
    const bool blocksNameable =
        m_blocks.size() + 2 * (m_usedBytes / blockBytes + kMostSlices + order.size() / 64) + 16 <=
        kMostBlocks;
    if (!blocksNameable || !namesEachRowOnce(order)) {
        copyInOrder(order);
        return;
    }
    {
        // Gathered into a second vector rather than permuted in place: the loads are independent
        // of each other, where following the cycles waits on each one in turn.
        std::vector<Ref> refs(order.size());
        for (std::size_t k = 0; k < order.size(); ++k) refs[k] = m_refs[order[k]];
        m_refs.swap(refs);
    }
    const std::size_t slices =
        std::clamp<std::size_t>(m_liveBytes / std::max<std::size_t>(sliceBytes, 1), 1, kMostSlices);
    SlicedReorder passes(*this, blockBytes, slices);
    passes.writeInPlace(passes.gatherIntoSlices());
    dropFreedBlocks();
}

void RowStore::dropFreedBlocks() {
    // Only the final blocks are left: they take the first numbers.
    std::vector<std::uint32_t> renumber(m_blocks.size(), 0);
    std::vector<Block> kept;
    for (std::size_t b = 0; b < m_blocks.size(); ++b) {
        if (!m_blocks[b].data) continue;
        renumber[b] = static_cast<std::uint32_t>(kept.size());
        kept.push_back(std::move(m_blocks[b]));
    }
    for (Ref& r : m_refs) r.block = renumber[r.block];
    m_blocks.swap(kept);
}

void RowStore::appendFrom(RowStore&& other, std::size_t first) {
    if (&other == this) return;
    if (m_blocks.size() + other.m_blocks.size() > kMostBlocks) {
        // More blocks than a reference can name (many small lists added one by one): copied.
        for (std::size_t i = first; i < other.m_refs.size(); ++i) push(other.row(i));
        other.clear();
        return;
    }
    const auto base = static_cast<std::uint32_t>(m_blocks.size());
    m_refs.reserve(m_refs.size() + (other.m_refs.size() > first ? other.m_refs.size() - first : 0));
    for (std::size_t i = first; i < other.m_refs.size(); ++i) {
        Ref r = other.m_refs[i];
        r.block += base;
        m_refs.push_back(r);
        m_liveBytes += r.length;
    }
    for (Block& b : other.m_blocks) m_blocks.push_back(std::move(b));
    m_usedBytes += other.m_usedBytes;
    other.clear();
    compactIfWasteful();
}

std::vector<RowStore::Span> RowStore::reserveBytes(std::size_t bytes) {
    std::vector<Span> spans;
    for (std::size_t made = 0; made < bytes; made += kLargestBlock) {
        Block block;
        block.data.reset(new char[kLargestBlock]);
        block.capacity = kLargestBlock;
        spans.emplace_back(block.data.get(), block.capacity);
        m_spareBlocks.push_back(std::move(block));
    }
    return spans;
}

void RowStore::releaseSpare() {
    m_spareBlocks.clear();
    m_nextSpare = 0;
}

void RowStore::prefault(const std::vector<Span>& spans) {
    for (const Span& span : spans) platform::prefaultMemory(span.first, span.second);
}

std::size_t RowStore::memoryUsage() const {
    std::size_t bytes = m_refs.capacity() * sizeof(Ref) + m_blocks.capacity() * sizeof(Block);
    for (const Block& b : m_blocks) bytes += b.capacity;
    for (std::size_t i = m_nextSpare; i < m_spareBlocks.size(); ++i) bytes += m_spareBlocks[i].capacity;
    return bytes;
}

void RowStore::compactIfWasteful() {
    const std::size_t waste = m_usedBytes - m_liveBytes;
    if (waste <= kTolerableWaste || waste <= m_liveBytes) return;
    RowStore fresh(m_spare);
    fresh.m_refs.reserve(m_refs.size());
    for (std::size_t i = 0; i < m_refs.size(); ++i) fresh.push(row(i));
    *this = std::move(fresh);
}

} // namespace verdan
