#include "catalogue/row_store.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

#include "platform/system.h"

namespace verdan {
namespace {
constexpr std::size_t kFirstBlock = 64 * 1024;
constexpr std::size_t kLargestBlock = 4 * 1024 * 1024;
// Waste below this is never worth a compaction.
constexpr std::size_t kTolerableWaste = 1024 * 1024;
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
    // Zeroed before its fields are set: filling the bit fields of fresh memory would read it first,
    // and each page of the references would be faulted twice (read, then copied on write).
    Ref& ref = m_refs.emplace_back();
    ref.block = static_cast<std::uint32_t>(m_blocks.size() - 1);
    ref.offset = static_cast<std::uint32_t>(tail.used);
    ref.length = static_cast<std::uint32_t>(bytes);
    ref.spare = static_cast<std::uint32_t>(spare);
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

void RowStore::popBack() {
    m_liveBytes -= m_refs.back().length;
    m_refs.pop_back();
    compactIfWasteful();
}

void RowStore::keep(const std::vector<bool>& keep) {
    // The rows before the first one removed stay where they are.
    std::size_t first = 0;
    while (first < m_refs.size() && first < keep.size() && keep[first]) ++first;
    std::size_t out = first;
    for (std::size_t i = first; i < m_refs.size(); ++i) {
        if (i < keep.size() && !keep[i]) {
            m_liveBytes -= m_refs[i].length;
            continue;
        }
        m_refs[out++] = m_refs[i];
    }
    m_refs.resize(out);
    compactIfWasteful();
}

void RowStore::reorder(const std::vector<std::size_t>& order) {
    // The rows are rewritten in their new order, so that every later pass over the table (a
    // search, a count, a save) reads memory in sequence rather than jumping at every row.
    RowStore fresh(m_spare);
    fresh.reserveRows(order.size());
    for (std::size_t i : order) {
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

void RowStore::permute(const std::vector<std::size_t>& order) {
    // Two references to the same bytes would let an edit of one row change the other.
    std::vector<bool> named(m_refs.size(), false);
    bool once = order.size() == m_refs.size();
    for (std::size_t k = 0; k < order.size() && once; ++k) {
        once = order[k] < m_refs.size() && !named[order[k]];
        if (once) named[order[k]] = true;
    }
    if (!once) {
        reorder(order);
        return;
    }
    std::vector<Ref> refs(order.size());
    for (std::size_t k = 0; k < order.size(); ++k) refs[k] = m_refs[order[k]];
    m_refs.swap(refs);
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
