#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "browse/deletion.h"
#include "browse/marks.h"
#include "browse/search.h"
#include "browse/sort.h"
#include "browse_fixture.h"

using namespace verdan;
using namespace verdan::test;

using Texts = std::vector<std::string>;

namespace {

// The calls a table model would see, as text.
struct RecordingListener : GlobalListListener {
    Texts calls;
    void aboutToReset() override { calls.push_back("aboutToReset"); }
    void tableReset() override { calls.push_back("reset"); }
    void aboutToRemoveRows(std::size_t first, std::size_t count) override {
        calls.push_back("aboutToRemove " + std::to_string(first) + "+" + std::to_string(count));
    }
    void rowsRemoved(std::size_t first, std::size_t count) override {
        calls.push_back("removed " + std::to_string(first) + "+" + std::to_string(count));
    }
    void cellChanged(std::size_t row, int col) override {
        calls.push_back("cell " + std::to_string(row) + "," + std::to_string(col));
    }
    void columnChanged(int col, std::size_t first, std::size_t last) override {
        calls.push_back("column " + std::to_string(col) + " " + std::to_string(first) + "-" +
                        std::to_string(last));
    }
};

} // namespace

// The search result refers to the list's rows: what changes the list must carry it along.
class ResultByReference : public ::testing::Test, public BrowseFixture {
protected:
    ResultByReference() {
        program.catalogue.paths.derive(listFolder(), "liste_globale_médias");
        for (const char* t : {"alien", "brazil", "alien 2", "casino", "alien 3", "dune", "alien 4"})
            addTitle(t);
        list().setCell(3, 13, " x"); // "alien 2" marked before the search
        reindex();
        browse.filter.setListener(&listener);
        Button_rechercherClick(program, browse, "alien");
        listener.calls.clear();
    }
    ~ResultByReference() override { browse.filter.setListener(nullptr); }
    Texts marks(GridTable t) { return column(t, " x"); }
    Texts marks() { return marks(list()); }
    void remove(const RowSet& resultRows) {
        ui.answers = {DialogButton::Yes};
        Button_delClick(program, browse, ui, resultRows, 1);
    }
    RecordingListener listener;
};

TEST_F(ResultByReference, MarksAreItsOwnAndTravelWithTheirRows) {
    ASSERT_EQ(titles(browse.filter), (Texts{"alien", "alien 2", "alien 3", "alien 4"}));
    // A row shows the list's mark until the result changes it.
    EXPECT_EQ(marks(browse.filter), (Texts{"", " x", "", ""}));
    BitBtn_coche_selectionClick(program, browse, {3});
    EXPECT_EQ(marks(browse.filter), (Texts{"", " x", " x", ""}));
    EXPECT_EQ(marks(), (Texts{"", "", " x", "", "", "", ""}));
    EXPECT_EQ(browse.markCountCaption, "2");

    sortOnHeader(program, browse, ui, Grid::Filter, 3); // descending
    EXPECT_EQ(titles(browse.filter), (Texts{"alien 4", "alien 3", "alien 2", "alien"}));
    EXPECT_EQ(marks(browse.filter), (Texts{"", " x", " x", ""}));
    EXPECT_EQ(titles(), (Texts{"alien", "brazil", "alien 2", "casino", "alien 3", "dune", "alien 4"}));

    // Removing "alien 3" through the result: the marks of the rows left stay where they were.
    remove({2});
    EXPECT_EQ(titles(browse.filter), (Texts{"alien 4", "alien 2", "alien"}));
    EXPECT_EQ(marks(browse.filter), (Texts{"", " x", ""}));
    EXPECT_EQ(browse.markCountCaption, "1");
    // The last row of the result is the list's last row, renumbered.
    EXPECT_EQ(browse.filter.listRow(1), 6u);
    EXPECT_EQ(browse.filter.listRow(4), 0u);
}

TEST_F(ResultByReference, TellsItsViewWhichRowsWent) {
    // Rows apart: the view starts again.
    remove({1, 3});
    EXPECT_EQ(listener.calls, (Texts{"aboutToReset", "reset"}));
    EXPECT_EQ(titles(browse.filter), (Texts{"alien 2", "alien 4"}));
    // One row: one removal notice with its number in the result, not in the list.
    listener.calls.clear();
    remove({2});
    EXPECT_EQ(listener.calls, (Texts{"aboutToRemove 2+1", "removed 2+1"}));
    EXPECT_EQ(titles(browse.filter), (Texts{"alien 2"}));
    EXPECT_EQ(titles(), (Texts{"brazil", "alien 2", "casino", "dune"}));
    // Marks: one column notice, the header's cell alone.
    listener.calls.clear();
    BitBtn_tout_cocherClick(program, browse);
    browse.filter.setCell(0, 3, "titre >>");
    EXPECT_EQ(listener.calls, (Texts{"column 13 1-1", "cell 0,3"}));
}

TEST_F(ResultByReference, AListReplacedIsSearchedAgain) {
    GlobalList other;
    other.setRow(1, {"1", "FILMS", "vidéo", "alien 5", ".avi"});
    other.appendRow({"2", "FILMS", "vidéo", "zorro", ".avi"});
    list().replaceAll(std::move(other));
    listReplaced(program, browse);
    EXPECT_EQ(titles(browse.filter), (Texts{"alien 5"}));
    EXPECT_EQ(browse.filter.listRow(1), 1u);
    // The search ends: nothing of it is left to point into the list.
    Button_init_filtreClick(browse);
    EXPECT_EQ(browse.filter.rowCount(), 1u);
    EXPECT_EQ(browse.filter.listRow(1), 0u);
    EXPECT_EQ(browse.filter.cell(1, 3), "");
}

TEST_F(ResultByReference, TheAllButtonsCountWithoutReadingTheRows) {
    BitBtn_tout_cocherClick(program, browse);
    EXPECT_EQ(browse.markCountCaption, "4");
    Button_init_filtreClick(browse);
    BitBtn_tout_cocherClick(program, browse);
    EXPECT_EQ(browse.markCountCaption, "7");
    BitBtn_tout_decocherClick(program, browse);
    EXPECT_EQ(browse.markCountCaption, "0");
    // A list without a mark column marks nothing, and says so.
    list().setCell(0, 13, "coche");
    BitBtn_tout_cocherClick(program, browse);
    EXPECT_EQ(browse.markCountCaption, "0");
    CountMarks(program, browse);
    EXPECT_EQ(browse.markCountCaption, "0");
}

// Rows removed by their numbers, in any pattern, out of a list and of a result that holds some of
// them in another order: exactly those leave both, and the result's other rows still read the
// same list rows.
TEST(ResultFollowsRemovals, AnyRowsRemovedLeaveTheListAndTheResultAlike) {
    std::mt19937 random(3);
    for (int round = 0; round < 40; ++round) {
        GlobalList list;
        list.resetToEmptyList();
        const std::size_t n = 1 + random() % 60;
        list.setRow(1, {"1", "D", "vidéo", "t1"});
        for (std::size_t i = 2; i <= n; ++i)
            list.appendRow({std::to_string(i), "D", "vidéo", "t" + std::to_string(i)});
        std::vector<std::size_t> found;
        for (std::size_t r = 1; r <= n; ++r)
            if (random() % 3 != 0) found.push_back(r);
        std::shuffle(found.begin(), found.end(), random);
        SearchResult result;
        result.assign(list, found);

        std::vector<std::size_t> removed;
        for (std::size_t r = 1; r <= n; ++r)
            if (random() % (round % 4 == 0 ? 2 : 9) == 0) removed.push_back(r);
        if (removed.size() == n) removed.pop_back(); // the empty list is another edit
        Texts listLeft, resultLeft;
        for (std::size_t r = 1; r <= n; ++r)
            if (!std::binary_search(removed.begin(), removed.end(), r))
                listLeft.push_back("t" + std::to_string(r));
        for (std::size_t r : found)
            if (!std::binary_search(removed.begin(), removed.end(), r))
                resultLeft.push_back("t" + std::to_string(r));

        list.removeRows(removed);
        result.followRemovedListRows(removed);
        Texts listTitles, resultTitles;
        for (std::size_t r = 1; r < list.rowCount(); ++r) listTitles.emplace_back(list.cell(r, 3));
        for (std::size_t r = 1; r < result.rowCount(); ++r) resultTitles.emplace_back(result.cell(r, 3));
        ASSERT_EQ(listTitles, listLeft) << round;
        ASSERT_EQ(resultTitles, resultLeft) << round;
    }
}
