#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "browse/retrieval_plan.h"
#include "browse/search_result.h"
#include "catalogue/drive_lookup.h"
#include "catalogue/global_list.h"
#include "catalogue/program_state.h"
#include "platform/system.h"

namespace verdan {

// The two tables of the global-list window: StringGrid1 (the global list itself) and
// StringGrid_filter (the rows a search found).
enum class Grid { Full, Filter };

// First and last selected rows of a table.
struct RowRange {
    std::size_t top = 1;
    std::size_t bottom = 1;
    bool operator==(const RowRange&) const = default;
};

// Rows highlighted in a table, ascending and distinct: a selection may hold several ranges.
using RowSet = std::vector<std::size_t>;

// etat_tri: the last sorted column (-1 before the first sort) and its direction.
struct SortState {
    int column = -1;
    bool ascending = false;
};

// What a sort leaves to sort the same column again at once: which data rows share their key with
// the row above, in the order the sort left. Good only for the table it was made on while its rows,
// and that column's cells, stay as they were (their stamps tell).
struct SortRuns {
    std::uint64_t rowsStamp = 0;
    std::uint64_t columnStamp = 0;
    int column = -1;
    bool ascending = false;
    std::vector<bool> sameKeyAsAbove; // [i]: data row i + 1
};

// Keyboard navigation of StringGrid1: the row it moves from (clicks set it too), the fixed end
// of a selection extended with Shift, and whether Shift was down at the previous key.
struct KeyboardState {
    std::size_t CursorRow = 0;
    std::size_t AnchorRow = 0;
    bool ShiftWasDown = false;
    // Arrows and Shift+arrows go on from `row` (0: nothing selected, Down goes to row 1), whatever
    // was pressed before.
    void restartAt(std::size_t row) {
        CursorRow = row;
        AnchorRow = row;
        ShiftWasDown = false;
    }
};

// Where the context panel goes, in the table's client coordinates.
struct ButtonSpan {
    int left = 0;
    int width = 0;
    bool operator==(const ButtonSpan&) const = default;
};
struct PanelPlacement {
    int left = 0;
    int top = 0;
    int width = 0;
    // BitBtn2, BitBtn_copie_un_par_un, BitBtn5, BitBtn4.
    std::array<ButtonSpan, 4> buttons{};
};

// Panel1: the actions on the right-clicked row.
struct ContextPanel {
    bool visible = false;
    std::string fileName; // Label11
    std::string folder;   // Label12
    std::string sizeText; // Label9
    PanelPlacement placement;
};

// Panel3: the progress of a copy into the favourites folder.
struct CopyProgressPanel {
    bool visible = false;
    int fileBar = 0; // ProgressBar1, 0 to 10000
    bool batchBarVisible = false;
    int batchBar = 0;      // ProgressBar2, 0 to 10000
    std::string speed;     // LabelSpeed
    std::string counter;   // Label18
    std::string fileName;  // Label15
    std::string folder;    // Label16
    std::string total;     // Label17
    std::string remaining; // LabelETA
};

// What a search result was made from: the list's rows and searched columns as they were.
struct SearchStamps {
    std::uint64_t rows = 0;
    std::vector<std::uint64_t> columns;
    bool operator==(const SearchStamps&) const = default;
};

// What the global-list window shows besides the global list (which ProgramState owns).
struct BrowseState {
    // StringGrid_filter: what is chosen in it acts on the very rows of the list. Empty while the
    // full table is shown.
    SearchResult filter;
    bool filterShown = false;
    std::string searchText; // Edit1, as the result shown was searched
    SearchStamps filterBase;
    SortState etat_tri;
    SortRuns sortRuns;
    std::string chosenDiskCaption = "-/-"; // Label_hd_selectionner
    std::string markCountCaption = "nb";   // Label10
    // The list's marked rows as last counted, with the stamps the list had then: while they hold,
    // the count is the list's, and a deletion needs only subtract what it takes away.
    struct ListMarkCount {
        std::uint64_t rowsStamp = 0;
        std::uint64_t columnStamp = 0;
        std::size_t count = 0;
        bool known = false;
    } listMarks;

    std::string SelectedFile;
    std::string SelectedFolder;
    ContextPanel contextPanel; // Panel1

    KeyboardState keyboard;

    CopyProgressPanel copyPanel;
    // Memo1: the sources a multiple copy could not find, shown while it runs.
    bool missingSourcesShown = false;
    std::vector<std::string> missingSources;
    std::uint32_t batchStartTick = 0; // BatchStartTick
    std::function<std::uint32_t()> tick = platform::tickCount;

    // The files to fetch from disks on the shelf ("a_rapatrier.txt" of the favourites folder).
    RetrievalPlan plan;
    PlanArrivals arrivals;
};

// One of the two tables as the handlers use it: the global list, or the search result over it.
class GridTable {
public:
    GridTable(GlobalList& list) : m_list(&list) {}
    GridTable(SearchResult& result) : m_result(&result) {}

    std::size_t rowCount() const { return m_list ? m_list->rowCount() : m_result->rowCount(); }
    std::string_view cell(std::size_t row, int col) const {
        return m_list ? m_list->cell(row, col) : m_result->cell(row, col);
    }
    int indice_col_liste(std::string_view name) const {
        return m_list ? m_list->indice_col_liste(name) : m_result->indice_col_liste(name);
    }
    void setCell(std::size_t row, int col, std::string_view text) {
        m_list ? m_list->setCell(row, col, text) : m_result->setCell(row, col, text);
    }
    void setColumn(int col, std::string_view text, std::size_t first = 1, std::size_t last = SIZE_MAX) {
        m_list ? m_list->setColumn(col, text, first, last) : m_result->setColumn(col, text, first, last);
    }
    std::size_t countCells(int col, std::string_view text) const {
        return m_list ? m_list->countCells(col, text) : m_result->countCells(col, text);
    }
    std::size_t selectedRow() const { return m_list ? m_list->selectedRow() : m_result->selectedRow(); }
    void selectRow(std::size_t row) { m_list ? m_list->selectRow(row) : m_result->selectRow(row); }

private:
    GlobalList* m_list = nullptr;
    SearchResult* m_result = nullptr;
};

inline GridTable gridTable(ProgramState& program, BrowseState& browse, Grid grid) {
    return grid == Grid::Filter ? GridTable(browse.filter) : GridTable(program.globalList.table);
}
// StringGrid_filter while a search result is shown, else StringGrid1.
inline Grid visibleGrid(const BrowseState& browse) {
    return browse.filterShown ? Grid::Filter : Grid::Full;
}
inline GridTable visibleTable(ProgramState& program, BrowseState& browse) {
    return gridTable(program, browse, visibleGrid(browse));
}

} // namespace verdan
