#include "browse/search.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "browse/marks.h"
#include "util/text.h"

namespace verdan {
namespace {

inline unsigned char lowerAZ(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// Start of cell `col` and end of cell `last` in a row text: the searched cells form one span.
bool cellSpan(std::string_view row, int first, int last, std::size_t& begin, std::size_t& end) {
    const char* data = row.data();
    const std::size_t size = row.size();
    std::size_t at = 0;
    for (int c = 0; c < first; ++c) {
        const void* tab = std::memchr(data + at, '\t', size - at);
        if (!tab) return false;
        at = static_cast<std::size_t>(static_cast<const char*>(tab) - data) + 1;
    }
    begin = at;
    for (int c = first; c <= last; ++c) {
        const void* tab = std::memchr(data + at, '\t', size - at);
        if (!tab) {
            end = size;
            return true;
        }
        at = static_cast<std::size_t>(static_cast<const char*>(tab) - data) + 1;
    }
    end = at - 1;
    return true;
}

std::vector<std::size_t> matchingRows(const GlobalList& source, std::string_view text) {
    const RowMatcher matcher(source, text);
    std::vector<std::size_t> rows;
    for (std::size_t r = 1; r < source.rowCount(); ++r) {
        if (matcher.matches(source, r)) rows.push_back(r);
    }
    return rows;
}

void runSearch(ProgramState& program, BrowseState& browse) {
    const GlobalList& list = program.globalList.table;
    browse.filter.assign(list, matchingRows(list, browse.searchText));
}

} // namespace

RowMatcher::RowMatcher(const GlobalList& headers, std::string_view text) {
    m_first = headers.indice_col_liste("média");
    m_last = headers.indice_col_liste("taille");
    m_needle.reserve(text.size());
    for (char c : text) m_needle.push_back(static_cast<char>(lowerAZ(static_cast<unsigned char>(c))));
    // Horspool's shifts over the lower-cased bytes.
    const std::size_t m = m_needle.size();
    m_skip.fill(m);
    for (std::size_t i = 0; i + 1 < m; ++i) m_skip[static_cast<unsigned char>(m_needle[i])] = m - 1 - i;
}

bool RowMatcher::search(std::string_view haystack) const {
    const std::size_t m = m_needle.size();
    const std::size_t n = haystack.size();
    if (m == 0 || m > n) return false;
    const auto* h = reinterpret_cast<const unsigned char*>(haystack.data());
    const auto* p = reinterpret_cast<const unsigned char*>(m_needle.data());
    const unsigned char lastByte = p[m - 1];
    for (std::size_t pos = 0; pos + m <= n;) {
        const unsigned char c = lowerAZ(h[pos + m - 1]);
        if (c == lastByte) {
            std::size_t j = 0;
            while (j + 1 < m && lowerAZ(h[pos + j]) == p[j]) ++j;
            if (j + 1 == m) return true;
        }
        pos += m_skip[c];
    }
    return false;
}

bool RowMatcher::matches(const GlobalList& table, std::size_t row) const {
    if (m_first < 0 || m_last < m_first || m_needle.empty() || row >= table.rowCount()) return false;
    // Cells never hold a tab, so a text with one is found nowhere; without one, a match inside
    // the tab-joined span of the searched cells lies inside one cell.
    if (m_needle.find('\t') != std::string::npos) return false;
    const std::string_view text = table.rowText(row);
    std::size_t begin = 0, end = 0;
    if (!cellSpan(text, m_first, m_last, begin, end)) return false;
    return search(text.substr(begin, end - begin));
}

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

void followRemovedRows(BrowseState& browse, const std::vector<std::size_t>& removed) {
    browse.filter.followRemovedListRows(removed);
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
