#include "collect/found_list.h"

#include "util/utf8.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace verdan {

namespace {

bool foldedLess(const std::string& a, std::string_view b) {
    return utf8::compareFolded(a, b) < 0;
}

} // namespace

FoundList::const_iterator& FoundList::const_iterator::operator++() {
    if (++m_pos >= (*m_chunks)[m_chunk].size()) {
        ++m_chunk;
        m_pos = 0;
    }
    return *this;
}

std::size_t FoundList::chunkFor(std::string_view line) const {
    // The first chunk whose last line is not below the line; the last chunk for a line beyond all.
    auto it = std::partition_point(m_chunks.begin(), m_chunks.end(), [&](const std::vector<std::string>& c) {
        return foldedLess(c.back(), line);
    });
    if (it == m_chunks.end()) return m_chunks.size() - 1;
    return static_cast<std::size_t>(it - m_chunks.begin());
}

bool FoundList::insert(std::string line) {
    if (m_chunks.empty()) {
        m_chunks.emplace_back();
        m_chunks.back().push_back(std::move(line));
        m_size = 1;
        m_startsValid = false;
        return true;
    }
    const std::size_t c = chunkFor(line);
    auto& chunk = m_chunks[c];
    auto pos = std::lower_bound(chunk.begin(), chunk.end(), line,
                                [](const std::string& a, const std::string& b) { return foldedLess(a, b); });
    if (pos != chunk.end() && utf8::compareFolded(*pos, line) == 0) return false;
    chunk.insert(pos, std::move(line));
    ++m_size;
    if (chunk.size() > kMaxChunk) {
        std::vector<std::string> upper(std::make_move_iterator(chunk.begin() + kMaxChunk / 2),
                                       std::make_move_iterator(chunk.end()));
        chunk.resize(kMaxChunk / 2);
        m_chunks.insert(m_chunks.begin() + static_cast<std::ptrdiff_t>(c) + 1, std::move(upper));
    }
    m_startsValid = false;
    return true;
}

std::size_t FoundList::insert(std::vector<std::string> lines) {
    if (lines.empty()) return 0;
    std::stable_sort(lines.begin(), lines.end(), utf8::FoldedLess{});
    auto last = std::unique(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
        return utf8::compareFolded(a, b) == 0;
    });
    if (m_chunks.empty()) m_chunks.emplace_back();
    std::size_t added = 0;
    auto first = lines.begin();
    // Chunks are visited from the last one down, so that splitting a chunk leaves the indexes of
    // those still to visit as they were.
    for (std::size_t c = m_chunks.size(); c-- > 0 && first != last;) {
        // The lines above the previous chunk's last line belong here (the first chunk takes the rest).
        auto from = first;
        if (c > 0) {
            const std::string& below = m_chunks[c - 1].back();
            from = std::partition_point(first, last,
                                        [&](const std::string& l) { return !foldedLess(below, l); });
        }
        if (from != last) added += mergeInto(c, from, last);
        last = from;
    }
    m_size += added;
    m_startsValid = false;
    return added;
}

std::size_t FoundList::mergeInto(std::size_t c, std::vector<std::string>::iterator first,
                                 std::vector<std::string>::iterator last) {
    std::vector<std::string>& chunk = m_chunks[c];
    std::vector<std::string> merged;
    merged.reserve(chunk.size() + static_cast<std::size_t>(last - first));
    std::size_t added = 0;
    auto old = chunk.begin();
    for (; first != last; ++first) {
        while (old != chunk.end() && foldedLess(*old, *first)) merged.push_back(std::move(*old++));
        if (old != chunk.end() && utf8::compareFolded(*old, *first) == 0) continue;
        merged.push_back(std::move(*first));
        ++added;
    }
    std::move(old, chunk.end(), std::back_inserter(merged));
    if (merged.size() <= kMaxChunk) {
        chunk = std::move(merged);
        return added;
    }
    // Half-full pieces leave room for the lines still to come.
    const std::size_t pieces = (merged.size() + kMaxChunk / 2 - 1) / (kMaxChunk / 2);
    std::vector<std::vector<std::string>> split(pieces);
    for (std::size_t i = 0; i < merged.size(); ++i)
        split[i * pieces / merged.size()].push_back(std::move(merged[i]));
    chunk = std::move(split[0]);
    m_chunks.insert(m_chunks.begin() + static_cast<std::ptrdiff_t>(c) + 1,
                    std::make_move_iterator(split.begin() + 1), std::make_move_iterator(split.end()));
    return added;
}

std::optional<std::size_t> FoundList::indexOf(std::string_view line) const {
    if (m_chunks.empty()) return std::nullopt;
    const std::size_t c = chunkFor(line);
    const auto& chunk = m_chunks[c];
    auto pos = std::lower_bound(chunk.begin(), chunk.end(), line, foldedLess);
    if (pos == chunk.end() || utf8::compareFolded(*pos, line) != 0) return std::nullopt;
    rebuildStarts();
    return m_starts[c] + static_cast<std::size_t>(pos - chunk.begin());
}

bool FoundList::contains(std::string_view line) const {
    return indexOf(line).has_value();
}

void FoundList::rebuildStarts() const {
    if (m_startsValid) return;
    m_starts.resize(m_chunks.size());
    std::size_t start = 0;
    for (std::size_t i = 0; i < m_chunks.size(); ++i) {
        m_starts[i] = start;
        start += m_chunks[i].size();
    }
    m_startsValid = true;
}

const std::string& FoundList::at(std::size_t index) const {
    if (index >= m_size) throw std::out_of_range("FoundList::at");
    rebuildStarts();
    auto it = std::upper_bound(m_starts.begin(), m_starts.end(), index);
    const std::size_t c = static_cast<std::size_t>(it - m_starts.begin()) - 1;
    return m_chunks[c][index - m_starts[c]];
}

void FoundList::clear() {
    m_chunks.clear();
    m_starts.clear();
    m_size = 0;
    m_startsValid = true;
}

void FoundList::erase(std::vector<std::size_t> positions) {
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    if (positions.empty()) return;
    std::size_t index = 0, next = 0;
    std::vector<std::vector<std::string>> kept;
    for (auto& chunk : m_chunks) {
        std::vector<std::string> out;
        out.reserve(chunk.size());
        for (auto& line : chunk) {
            if (next < positions.size() && positions[next] == index)
                ++next;
            else
                out.push_back(std::move(line));
            ++index;
        }
        if (!out.empty()) kept.push_back(std::move(out));
    }
    m_chunks = std::move(kept);
    m_size = 0;
    for (const auto& c : m_chunks) m_size += c.size();
    m_startsValid = false;
}

std::vector<std::string> FoundList::lines() const {
    return {begin(), end()};
}

} // namespace verdan
