#include "browse/search.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "browse/marks.h"
#include "util/shared_run.h"
#include "util/text.h"
#include "util/utf8.h"

namespace verdan {
namespace {

inline unsigned char lowerAZ(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// Where cell `col` starts in a row text; npos when the row has fewer cells.
std::size_t cellStart(std::string_view row, int col) {
    std::size_t at = 0;
    for (int c = 0; c < col; ++c) {
        const void* tab = std::memchr(row.data() + at, '\t', row.size() - at);
        if (!tab) return std::string_view::npos;
        at = static_cast<std::size_t>(static_cast<const char*>(tab) - row.data()) + 1;
    }
    return at;
}

constexpr std::size_t kRowsAhead = 8;

void prefetchRow(std::string_view row) {
#if defined(__GNUC__)
    // A row of a list is a few cache lines long; its searched cells lie past the first.
    for (std::size_t at = 0; at < row.size(); at += 64) __builtin_prefetch(row.data() + at);
#else
    (void)row;
#endif
}

std::size_t searchThreads() {
    const unsigned cores = std::thread::hardware_concurrency();
    return std::clamp<std::size_t>(cores, 1, 4);
}

} // namespace

RowMatcher::RowMatcher(const GlobalList& headers, std::string_view text) {
    m_first = headers.indice_col_liste("média");
    m_last = headers.indice_col_liste("taille");
    m_needle = utf8::asciiLower(text);
    // Cells never hold a tab, so a text with one is found nowhere; without one, a match inside
    // the tab-joined span of the searched cells lies inside one cell.
    m_usable =
        m_first >= 0 && m_last >= m_first && !m_needle.empty() && m_needle.find('\t') == std::string::npos;
}

bool RowMatcher::matchesAt(const unsigned char* h) const {
    const auto* p = reinterpret_cast<const unsigned char*>(m_needle.data());
    for (std::size_t j = 0; j < m_needle.size(); ++j)
        if (lowerAZ(h[j]) != p[j]) return false;
    return true;
}

std::size_t RowMatcher::find(std::string_view haystack) const {
    const std::size_t m = m_needle.size();
    const std::size_t n = haystack.size();
    if (m == 0 || m > n) return std::string_view::npos;
    const auto* h = reinterpret_cast<const unsigned char*>(haystack.data());
    std::size_t pos = 0;
#if defined(__SSE2__)
    // Sixteen places at a time: those whose first and last bytes fit the needle's, letter case
    // aside, are checked in full. A letter is compared with its 0x20 bit set, which makes upper
    // and lower case alike and nothing else; any other byte as it is.
    const auto* p = reinterpret_cast<const unsigned char*>(m_needle.data());
    const auto letterBit = [](unsigned char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? 0x20 : 0); };
    const __m128i first = _mm_set1_epi8(static_cast<char>(p[0]));
    const __m128i last = _mm_set1_epi8(static_cast<char>(p[m - 1]));
    const __m128i firstBit = _mm_set1_epi8(letterBit(p[0]));
    const __m128i lastBit = _mm_set1_epi8(letterBit(p[m - 1]));
    for (; pos + m + 15 <= n; pos += 16) {
        const __m128i a = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h + pos)), firstBit);
        const __m128i b =
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h + pos + m - 1)), lastBit);
        auto bits = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
        while (bits != 0) {
            const std::size_t at = pos + static_cast<std::size_t>(std::countr_zero(bits));
            if (matchesAt(h + at)) return at;
            bits &= bits - 1;
        }
    }
#endif
    for (; pos + m <= n; ++pos)
        if (matchesAt(h + pos)) return pos;
    return std::string_view::npos;
}

bool RowMatcher::matches(const GlobalList& table, std::size_t row) const {
    if (!m_usable || row >= table.rowCount()) return false;
    const std::string_view text = table.rowText(row);
    const std::size_t begin = cellStart(text, m_first);
    if (begin == std::string_view::npos) return false;
    // The leftmost match from the first searched cell on: the row matches when it lies before the
    // end of the last one, which is looked for only then.
    const std::size_t at = find(text.substr(begin));
    if (at == std::string_view::npos) return false;
    std::size_t tabs = 0;
    for (std::size_t i = begin; i < begin + at; ++i) tabs += text[i] == '\t';
    return tabs <= static_cast<std::size_t>(m_last - m_first);
}

std::optional<std::vector<std::uint32_t>> findRows(const GlobalList& table, const RowMatcher& matcher,
                                                   const std::vector<std::uint32_t>* within,
                                                   const std::atomic<bool>* cancel) {
    const std::size_t rowCount = table.rowCount();
    const std::size_t count = within ? within->size() : (rowCount > 0 ? rowCount - 1 : 0);
    const std::size_t threads = searchThreads();
    std::vector<std::vector<std::uint32_t>> found(threads);
    {
        SharedRun run(
            count,
            [&](std::size_t worker, std::size_t begin, std::size_t end) {
                // A look at the flag every few rows: a cancelled search stops within a millisecond.
                if (cancel && cancel->load(std::memory_order_relaxed)) return;
                std::vector<std::uint32_t>& out = found[worker];
                if (!within) {
                    for (std::size_t i = begin; i < end; ++i)
                        if (matcher.matches(table, i + 1)) out.push_back(static_cast<std::uint32_t>(i + 1));
                    return;
                }
                // Rows picked here and there wait on memory, not on the test: the rows a few
                // places ahead are asked for while this one is tested, and the references of
                // those further ahead, without which their rows cannot be asked for.
                for (std::size_t i = begin; i < end; ++i) {
                    if (i + 2 * kRowsAhead < count) table.prefetchRowRef((*within)[i + 2 * kRowsAhead]);
                    if (i + kRowsAhead < count) prefetchRow(table.rowText((*within)[i + kRowsAhead]));
                    const std::size_t row = (*within)[i];
                    if (matcher.matches(table, row)) out.push_back(static_cast<std::uint32_t>(row));
                }
            },
            threads - 1);
        run.finish();
    }
    if (cancel && cancel->load()) return std::nullopt;
    // Each thread took its rows in ascending runs: merging keeps the list's order.
    std::vector<std::uint32_t> rows = std::move(found[0]);
    for (std::size_t t = 1; t < threads; ++t) {
        if (found[t].empty()) continue;
        std::vector<std::uint32_t> merged(rows.size() + found[t].size());
        std::merge(rows.begin(), rows.end(), found[t].begin(), found[t].end(), merged.begin());
        rows = std::move(merged);
    }
    return rows;
}

void showSearchResult(ProgramState& program, BrowseState& browse, std::string text,
                      std::vector<std::uint32_t> rows) {
    const GlobalList& list = program.globalList.table;
    browse.searchText = std::move(text);
    browse.filter.assign(list, std::move(rows));
    browse.filterShown = true;
    browse.filterBase = searchStampsOf(list);
}

SearchStamps searchStampsOf(const GlobalList& list) {
    SearchStamps stamps{list.rowsStamp(), {}};
    const int first = list.indice_col_liste("média");
    const int last = list.indice_col_liste("taille");
    for (int col = std::max(first, 0); first >= 0 && col <= last; ++col)
        stamps.columns.push_back(list.columnStamp(col));
    return stamps;
}

bool resultIsWhole(const ProgramState& program, const BrowseState& browse) {
    return browse.filterShown && browse.filterBase == searchStampsOf(program.globalList.table);
}

namespace {

void runSearch(ProgramState& program, BrowseState& browse) {
    const GlobalList& list = program.globalList.table;
    std::string text = browse.searchText;
    showSearchResult(program, browse, std::move(text), *findRows(list, RowMatcher(list, browse.searchText)));
}

} // namespace

bool Button_rechercherClick(ProgramState& program, BrowseState& browse, const std::string& text) {
    if (trimControl(text).empty()) return false;
    browse.searchText = text;
    runSearch(program, browse);
    browse.filterShown = true;
    return true;
}

void Button_init_filtreClick(BrowseState& browse) {
    browse.searchText.clear();
    browse.filterShown = false;
    browse.filter.clear();
}

void refreshSearch(ProgramState& program, BrowseState& browse) {
    if (browse.filterShown) runSearch(program, browse);
}

void listReplaced(ProgramState& program, BrowseState& browse) {
    refreshSearch(program, browse);
    // A load makes its first row current and highlighted; the arrows go on from there.
    browse.keyboard.restartAt(program.globalList.table.selectedRow());
    CountMarks(program, browse);
}

void followRemovedRows(ProgramState& program, BrowseState& browse, const std::vector<std::size_t>& removed,
                       bool wasWhole) {
    browse.filter.followRemovedListRows(removed);
    // Rows gone from both: what is left is still every row of the list that matches.
    if (wasWhole) browse.filterBase = searchStampsOf(program.globalList.table);
}

RowSet listRowsOf(const ProgramState& program, const BrowseState& browse, const RowSet& visibleRows) {
    RowSet rows;
    rows.reserve(visibleRows.size());
    if (browse.filterShown) {
        for (std::size_t r : visibleRows) {
            if (const std::size_t listRow = browse.filter.listRow(r)) rows.push_back(listRow);
        }
    } else {
        rows = visibleRows;
    }
    const std::size_t rowCount = program.globalList.table.rowCount();
    std::erase_if(rows, [rowCount](std::size_t r) { return r < 1 || r >= rowCount; });
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void Edit1Enter(ProgramState& program, BrowseState& browse, const std::string& text) {
    if (trimControl(text).empty()) {
        Button_init_filtreClick(browse);
    } else {
        Button_rechercherClick(program, browse, text);
    }
}

} // namespace verdan
