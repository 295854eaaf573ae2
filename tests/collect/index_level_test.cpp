#include <gtest/gtest.h>

#include "collect/collection_state.h"
#include "collect/index_level.h"
#include "support/program_fixture.h"

using namespace verdan;
using namespace verdan::test;

namespace {

// Two copies of one film that differ by size only: duplicates at idx1, not at idx2.
class IndexLevel : public ::testing::Test, public ProgramFixture {
protected:
    IndexLevel() {
        GlobalList& t = program.globalList.table;
        for (const std::string& line :
             {row("1", "FILMS", "Alien", "700 Mo"), row("2", "FILMS", "Alien", "701 Mo"),
              row("3", "FILMS", "Brazil", "700 Mo")}) {
            std::vector<std::string> cells;
            std::size_t start = 0;
            for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
                cells.push_back(line.substr(start, tab - start));
            cells.push_back(line.substr(start));
            if (t.rowCount() == 2 && t.isEmptyRow(1))
                t.setRow(1, cells);
            else
                t.appendRow(cells);
        }
        program.catalogue.params.indexLevel = 1;
        state.indexControls.itemIndex = 1;
        indexer_liste(t, program.globalList.keys, 1, false, program.globalList.index);
        af_nb_media_bd(program);
    }
    std::unique_ptr<CollectionState> owned = std::make_unique<CollectionState>(program.drives);
    CollectionState& state = *owned;
};

} // namespace

TEST_F(IndexLevel, LoweringTheLevelAndReindexingCleansTheListAndLeavesItToSave) {
    EXPECT_EQ(program.globalList.table.mediaCount(), 3u);
    CheckBox1Click(state, true);
    EXPECT_TRUE(state.indexControls.radioGroupEnabled);
    RadioGroup_indexClick(program, state, 0);
    EXPECT_EQ(program.catalogue.params.indexLevel, 0);
    EXPECT_TRUE(
        program.catalogue.ParamsModified); // the level reaches the parameter file at the latest at quit
    EXPECT_EQ(program.globalList.index.levelCaption, "idx1");
    EXPECT_EQ(program.globalList.table.mediaCount(), 3u); // choosing alone changes no row
    EXPECT_FALSE(program.globalList.table.ListModified);

    ui.answers = {DialogButton::Yes};
    EXPECT_EQ(BitBtn_reinitClick(program, state, ui), ReindexOutcome::Cleaned);
    EXPECT_EQ(program.globalList.table.mediaCount(), 2u);
    EXPECT_EQ(program.globalList.mediaCountCaption, "2 médias");
    EXPECT_TRUE(program.globalList.table.ListModified); // quitting offers to save the cleaned list
    EXPECT_FALSE(state.indexControls.modificationAllowed);
    EXPECT_FALSE(state.indexControls.reinitEnabled);
}

TEST_F(IndexLevel, ADeclinedReindexingOrTheSameLevelChangesNothing) {
    CheckBox1Click(state, true);
    RadioGroup_indexClick(program, state, 1);
    EXPECT_FALSE(program.catalogue.ParamsModified);
    RadioGroup_indexClick(program, state, 9); // no such item
    EXPECT_EQ(program.catalogue.params.indexLevel, 1);
    RadioGroup_indexClick(program, state, 0);
    ui.answers = {DialogButton::No};
    EXPECT_EQ(BitBtn_reinitClick(program, state, ui), ReindexOutcome::Declined);
    EXPECT_EQ(program.globalList.table.mediaCount(), 3u);
    EXPECT_FALSE(program.globalList.table.ListModified);
    EXPECT_FALSE(state.indexControls.radioGroupEnabled);
}

TEST_F(IndexLevel, ReindexingUsesTheLevelOfTheCatalogueNowCurrent) {
    // Another catalogue, read at idx1, became current without a click on the level.
    program.catalogue.params.indexLevel = 0;
    CheckBox1Click(state, true);
    ui.answers = {DialogButton::Yes};
    EXPECT_EQ(BitBtn_reinitClick(program, state, ui), ReindexOutcome::Cleaned);
    EXPECT_EQ(program.globalList.table.mediaCount(), 2u);
}
