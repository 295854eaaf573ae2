#include <gtest/gtest.h>

#include "browse/search.h"
#include "program/program.h"
#include "support/program_fixture.h"
#include "support/program_views.h"

#include <algorithm>
#include <random>

using namespace verdan;
using namespace verdan::test;

namespace {

// The search as the user types, through the program object, over a list large enough that the
// worker threads share it out: each shown result must be exactly what a fresh search of its text
// gives on the list as it is then.
class TypedSearching : public ProgramOnAFolderDisk {
protected:
    void SetUp() override {
        std::mt19937 random(26);
        const char* words[] = {"Vostfr", "vosTfr", "alien", "ALIENS", "été", "Été", "blue", "bluRay", "x"};
        std::string lines;
        for (int i = 1; i <= 20000; ++i) {
            std::string title;
            for (int w = 0; w < 3; ++w) title += std::string(words[random() % std::size(words)]) + " ";
            lines += ProgramFixture::row(std::to_string(i), "D" + std::to_string(i % 7), title) + "\r\n";
        }
        start(lines);
        ui.answers = {DialogButton::Yes};
        program->openingSequence(windows);
    }

    // Types `text` as the pause after the last key hands it over, and waits for what it shows.
    void type(const std::string& text) {
        program->typeSearch(text);
        ASSERT_TRUE(ui.pumpUntil([&] { return !program->typedSearch().pending(); }));
    }
    std::vector<std::size_t> shownRows() {
        const SearchResult& result = program->browse().filter;
        std::vector<std::size_t> rows;
        for (std::size_t r = 1; r < result.rowCount(); ++r) rows.push_back(result.listRow(r));
        return rows;
    }
    std::vector<std::size_t> freshRows(const std::string& text) {
        const GlobalList& list = state.globalList.table;
        const RowMatcher matcher(list, text);
        std::vector<std::size_t> rows;
        for (std::size_t r = 1; r < list.rowCount(); ++r)
            if (matcher.matches(list, r)) rows.push_back(r);
        return rows;
    }
    void expectShows(const std::string& text) {
        EXPECT_TRUE(program->browse().filterShown);
        EXPECT_EQ(program->browse().searchText, text);
        EXPECT_EQ(shownRows(), freshRows(text)) << text;
    }
};

} // namespace

TEST_F(TypedSearching, NarrowingAndWideningShowWhatAFreshSearchShows) {
    struct Key {
        const char* text;
        bool narrows;
    };
    // Letter case aside, as the search has it; a sorted result is narrowed in the list's order.
    for (const Key& k : {Key{"v", false}, Key{"vO", true}, Key{"vos", true}, Key{"VOSTF", true},
                         Key{"vost", false}, Key{"alien", false}, Key{"aliens", true}, Key{"é", false},
                         Key{"ét", true}, Key{"zzz", false}, Key{"zzzz", true}}) {
        type(k.text);
        EXPECT_EQ(program->typedSearch().lastNarrowed(), k.narrows) << k.text;
        expectShows(k.text);
        if (std::string(k.text) == "vos") {
            platform::SortKeyMaker keys{"fr_FR"};
            program->browse().filter.sort(3, false, keys);
        }
    }
    EXPECT_TRUE(shownRows().empty());
    type("");
    EXPECT_FALSE(program->browse().filterShown) << "a blank text gives the full table back";
}

TEST_F(TypedSearching, ANewerTextOrTheEndOfTheSearchDropsAnOlderSearchWhichNeverShows) {
    type("alien");
    const int changes = windows.changes;
    // Searched on the whole list: far longer than the next key.
    program->typeSearch("blue");
    program->typeSearch("vostfr");
    type("vostfr");
    expectShows("vostfr");
    EXPECT_EQ(windows.changes, changes + 1) << "only the latest text showed";

    program->typeSearch("été");
    program->clearSearch();
    ASSERT_FALSE(ui.pumpUntil([&] { return program->browse().filterShown; }, std::chrono::milliseconds(300)));
    EXPECT_EQ(program->browse().searchText, "");

    program->typeSearch("été");
    EXPECT_TRUE(program->search("blue")) << "the button searches at once, and the typed text never shows";
    ASSERT_FALSE(
        ui.pumpUntil([&] { return program->browse().searchText != "blue"; }, std::chrono::milliseconds(300)));
    expectShows("blue");
}

TEST_F(TypedSearching, AChangeOfTheListStopsTheSearchWhichIsMadeAgainOnTheListAsItIsThen) {
    type("vos");
    // Rows of the result go while the longer text is being searched: the search stops before they
    // go, and the text is searched again once they have gone.
    const std::size_t rows = state.globalList.table.rowCount();
    program->typeSearch("vost");
    ui.answers = {DialogButton::Yes};
    program->deleteRows({1, 2, 3, 10, 11}, 1);
    ASSERT_EQ(state.globalList.table.rowCount(), rows - 5);
    ASSERT_TRUE(ui.pumpUntil(
        [&] { return program->browse().searchText == "vost" && !program->typedSearch().pending(); }));
    expectShows("vost");

    // The result followed the deletion: still every matching row, so a longer text searches it.
    type("vostf");
    EXPECT_TRUE(program->typedSearch().lastNarrowed());
    expectShows("vostf");

    // Rows added since are not in the result: a longer text searches the whole list again.
    state.globalList.table.appendRow({"20001", "NEUF", "vidéo", "vostfr neuf", ".avi", "2020-01-01 10:00",
                                      ":\\films", "700 Mo", "E", "USB", "1", "1,00 Go", "2,00 Go", ""});
    type("vostfr");
    EXPECT_FALSE(program->typedSearch().lastNarrowed());
    expectShows("vostfr");
    EXPECT_EQ(shownRows().back(), state.globalList.table.rowCount() - 1);
}

TEST_F(TypedSearching, AResultFoundWhileAQuestionWaitsShowsOnlyOnceTheCommandIsOver) {
    type("vos");
    const std::vector<std::size_t> seen = shownRows();
    const GlobalList& list = state.globalList.table;
    const std::size_t rows = list.rowCount();
    const std::string first(list.cell(seen[0], 0)), second(list.cell(seen[1], 0));
    program->typeSearch("vost");
    // The question's own event loop runs what was posted meanwhile: the search's result among it.
    bool unchanged = true;
    ui.onAsk = [&] {
        ui.pumpUntil([] { return false; }, std::chrono::milliseconds(300));
        unchanged = unchanged && program->browse().searchText == "vos" && shownRows() == seen;
    };
    ui.answers = {DialogButton::Yes};
    program->deleteRows({1, 2}, 1);
    ui.onAsk = nullptr;
    EXPECT_TRUE(unchanged) << "the rows the user highlighted stayed under the question";
    ASSERT_EQ(list.rowCount(), rows - 2);
    ASSERT_TRUE(ui.pumpUntil([&] { return !program->typedSearch().pending(); }));
    expectShows("vost");
    for (std::size_t r = 1; r < list.rowCount(); ++r)
        ASSERT_TRUE(list.cell(r, 0) != first && list.cell(r, 0) != second) << "row " << r << " stayed";
}
