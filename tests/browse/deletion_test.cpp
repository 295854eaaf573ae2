#include <gtest/gtest.h>

#include "browse/deletion.h"
#include "browse/marks.h"
#include "browse/search.h"
#include "browse/sort.h"
#include "browse_fixture.h"
#include "catalogue/shared_actions.h"

using namespace verdan;
using namespace verdan::test;

using Titles = std::vector<std::string>;

namespace {
const std::vector<DialogButton> kYesNo = {DialogButton::Yes, DialogButton::No};
} // namespace

class DeleteSelection : public ::testing::Test, public BrowseFixture {
protected:
    DeleteSelection() {
        for (const char* t : {"a", "b", "c", "d", "e", "f"}) addTitle(t);
        reindex();
        af_nb_media_bd(program);
    }
};

TEST_F(DeleteSelection, ThreeRowsAskWithTheirCountAndKeepTheOthersInOrder) {
    ui.answers = {DialogButton::Yes};
    const auto pos = Button_delClick(program, browse, ui, {2, 3, 4}, 1);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, " Effacer les 3 médias sélectionnés de la liste ?");
    EXPECT_EQ(ui.shown[0].type, DialogType::Confirmation);
    EXPECT_EQ(ui.shown[0].buttons, kYesNo);
    EXPECT_EQ(titles(), (Titles{"a", "e", "f"}));
    ASSERT_TRUE(pos);
    EXPECT_EQ(*pos, (GridPosition{2, 1}));
    EXPECT_EQ(list().selectedRow(), 2u);
    EXPECT_TRUE(list().ListModified);
    EXPECT_EQ(program.globalList.keys.size(), 3u);
    EXPECT_EQ(program.globalList.mediaCountCaption, "3 médias");
}

TEST_F(DeleteSelection, OneRowHasItsOwnQuestion) {
    ui.answers = {DialogButton::Yes};
    Button_delClick(program, browse, ui, {6}, 3);
    EXPECT_EQ(ui.shown[0].text, " Effacer le média sélectionné  ?");
    EXPECT_EQ(titles(), (Titles{"a", "b", "c", "d", "e"}));
}

TEST_F(DeleteSelection, SelectionAndTopRowFallBackToTheLastRow) {
    ui.answers = {DialogButton::Yes};
    const auto pos = Button_delClick(program, browse, ui, {4, 5, 6}, 5);
    ASSERT_TRUE(pos);
    EXPECT_EQ(*pos, (GridPosition{3, 3}));
}

TEST_F(DeleteSelection, ADeclinedQuestionChangesNothing) {
    ui.answers = {DialogButton::No};
    EXPECT_FALSE(Button_delClick(program, browse, ui, {1, 2}, 1));
    EXPECT_EQ(list().mediaCount(), 6u);
    EXPECT_FALSE(list().ListModified);
}

TEST_F(DeleteSelection, RowsPastTheEndOrTwiceOrOutOfOrderCountOnce) {
    ui.answers = {DialogButton::Yes};
    Button_delClick(program, browse, ui, {9, 6, 0, 5, 6}, 1);
    EXPECT_EQ(ui.shown[0].text, " Effacer les 2 médias sélectionnés de la liste ?");
    EXPECT_EQ(titles(), (Titles{"a", "b", "c", "d"}));
}

TEST_F(DeleteSelection, AllRowsLeaveTheEmptyList) {
    ui.answers = {DialogButton::Yes};
    const auto pos = Button_delClick(program, browse, ui, {1, 2, 3, 4, 5, 6}, 1);
    EXPECT_EQ(list().rowCount(), 2u);
    EXPECT_TRUE(list().isEmptyRow(1));
    EXPECT_EQ(list().cell(0, 3), "titre");
    ASSERT_TRUE(pos);
    EXPECT_EQ(*pos, (GridPosition{1, 1}));
    EXPECT_EQ(program.globalList.mediaCountCaption, "aucun média");
}

TEST_F(DeleteSelection, SeparateRowsGoAloneAndTheArrowsGoOnFromTheFirst) {
    ui.answers = {DialogButton::Yes};
    const auto pos = Button_delClick(program, browse, ui, {2, 5}, 1);
    EXPECT_EQ(ui.texts(), (Titles{" Effacer les 2 médias sélectionnés de la liste ?"}));
    EXPECT_EQ(titles(), (Titles{"a", "c", "d", "f"}));
    ASSERT_TRUE(pos);
    EXPECT_EQ(pos->currentRow, 2u);
    EXPECT_EQ(browse.keyboard.CursorRow, 2u);
    EXPECT_EQ(browse.keyboard.AnchorRow, 2u);
    EXPECT_EQ(program.globalList.keys.size(), 4u);
}

TEST_F(DeleteSelection, NothingHighlightedDeletesNothingAndSaysSo) {
    EXPECT_FALSE(Button_delClick(program, browse, ui, {}, 1));
    EXPECT_FALSE(Button_delClick(program, browse, ui, {0, 7, 40}, 1)); // no data row among them
    EXPECT_EQ(ui.texts(), (Titles{" aucun média sélectionné", " aucun média sélectionné"}));
    EXPECT_EQ(ui.shown[0].kind, "info");
    EXPECT_EQ(list().mediaCount(), 6u);
    EXPECT_FALSE(list().ListModified);
}

// Deleting while a search result is shown: the rows chosen in the result are the rows deleted.
class DeleteFromSearch : public ::testing::Test, public BrowseFixture {
protected:
    DeleteFromSearch() {
        program.catalogue.paths.derive(listFolder(), "liste_globale_médias");
        for (const char* t : {"alien", "brazil", "alien 2", "casino", "alien 3", "dune"}) addTitle(t);
        reindex();
        Button_rechercherClick(program, browse, "alien");
    }
};

TEST_F(DeleteFromSearch, TheResultRowsChosenAreTheListRowsDeletedAndTheResultFollows) {
    ASSERT_EQ(titles(browse.filter), (Titles{"alien", "alien 2", "alien 3"}));
    ui.answers = {DialogButton::Yes};
    const auto pos = Button_delClick(program, browse, ui, {2}, 1);
    EXPECT_EQ(ui.texts(), (Titles{" Effacer le média sélectionné  ?"}));
    EXPECT_EQ(titles(), (Titles{"alien", "brazil", "casino", "alien 3", "dune"}));
    EXPECT_EQ(titles(browse.filter), (Titles{"alien", "alien 3"}));
    ASSERT_TRUE(pos);
    EXPECT_EQ(pos->currentRow, 2u);
    EXPECT_EQ(browse.filter.selectedRow(), 2u);

    // The result's second row now stands for the list's fourth.
    ui.answers = {DialogButton::Yes};
    Button_delClick(program, browse, ui, {2}, 1);
    EXPECT_EQ(titles(), (Titles{"alien", "brazil", "casino", "dune"}));
    EXPECT_EQ(titles(browse.filter), (Titles{"alien"}));
}

TEST_F(DeleteFromSearch, ASortedResultStillNamesItsOwnRows) {
    sortOnHeader(program, browse, ui, Grid::Filter, 3); // "titre" descending
    ASSERT_EQ(titles(browse.filter), (Titles{"alien 3", "alien 2", "alien"}));
    ui.answers = {DialogButton::Yes};
    Button_delClick(program, browse, ui, {1, 3}, 1);
    EXPECT_EQ(titles(), (Titles{"brazil", "alien 2", "casino", "dune"}));
    EXPECT_EQ(titles(browse.filter), (Titles{"alien 2"}));
}

TEST_F(DeleteFromSearch, TheLastResultRowLeavesAResultWithItsHeaderOnly) {
    Button_rechercherClick(program, browse, "dune");
    ui.answers = {DialogButton::Yes};
    EXPECT_FALSE(Button_delClick(program, browse, ui, {1}, 1));
    EXPECT_EQ(browse.filter.rowCount(), 1u);
    EXPECT_EQ(list().mediaCount(), 5u);
}

TEST_F(DeleteFromSearch, ByDiskTheResultLosesThatDisksRowsAndTheCounterFollows) {
    list().setCell(3, 1, "AUTRE"); // "alien 2" on another disk
    list().setCell(5, 13, " x");
    Button_rechercherClick(program, browse, "alien");
    browse.chosenDiskCaption = "FILMS-1234ABCD";
    browse.keyboard.restartAt(4);
    ui.answers = {DialogButton::Yes};
    EXPECT_EQ(Button_effacer_liste_un_hdClick(program, browse, ui), 5u);
    EXPECT_EQ(titles(), (Titles{"alien 2"}));
    EXPECT_EQ(titles(browse.filter), (Titles{"alien 2"}));
    EXPECT_EQ(browse.markCountCaption, "0");
    EXPECT_EQ(browse.keyboard.CursorRow, 0u);
    // The result's row is still the list's row.
    ui.answers = {DialogButton::Yes};
    Button_delClick(program, browse, ui, {1}, 1);
    EXPECT_TRUE(list().isEmptyRow(1));
    EXPECT_EQ(browse.filter.rowCount(), 1u);
}

TEST_F(DeleteFromSearch, EmptyingTheListEmptiesTheResultAndItsMarks) {
    ui.answers = {DialogButton::Yes};
    ASSERT_TRUE(Button_vider_bdClick(program, ui));
    listReplaced(program, browse);
    EXPECT_EQ(browse.filter.rowCount(), 1u);
    EXPECT_TRUE(browse.filterShown);
    BitBtn_tout_cocherClick(program, browse);
    EXPECT_EQ(browse.markCountCaption, "0");
}

TEST(DeleteOnly, TheOnlyRowIsEmptiedAndTheKeySetHoldsTheEmptyKey) {
    BrowseFixture f;
    f.addTitle("seul");
    f.reindex();
    f.ui.answers = {DialogButton::Yes};
    EXPECT_FALSE(Button_delClick(f.program, f.browse, f.ui, {1}, 1)); // no row removed
    EXPECT_EQ(f.list().rowCount(), 2u);
    EXPECT_TRUE(f.list().isEmptyRow(1));
    EXPECT_TRUE(f.list().ListModified);
    EXPECT_EQ(f.program.globalList.keys.size(), 1u);
    EXPECT_EQ(f.program.globalList.keys.countOf(""), 1u) << "the blank row's empty key";

    // Now the empty list: nothing to delete, no question.
    EXPECT_FALSE(Button_delClick(f.program, f.browse, f.ui, {1}, 1));
    EXPECT_EQ(f.ui.shown.back().kind, "info");
    EXPECT_EQ(f.ui.shown.back().text, " rien à effacer...");
}

class DeleteDisk : public ::testing::Test, public BrowseFixture {
protected:
    DeleteDisk() {
        Media m;
        for (int i = 0; i < 6; ++i) {
            m.title = "t" + std::to_string(i);
            m.disk = i % 3 == 0 ? "FILMS" : (i % 3 == 1 ? "films" : "MUSIQUE");
            m.serial = i % 3 == 2 ? "9999AAAA" : "1234ABCD";
            add(m);
        }
        reindex();
        extraire_hd_liste_globale(program.globalList);
    }
};

TEST_F(DeleteDisk, RemovesTheExactEntryOnlyAndReports) {
    ASSERT_EQ(program.globalList.disks, (std::vector<std::string>{"FILMS-1234ABCD", "MUSIQUE-9999AAAA"}));
    ListBox_hd_referencerClick(program, browse, 0);
    EXPECT_EQ(browse.chosenDiskCaption, "FILMS-1234ABCD");
    ui.answers = {DialogButton::Yes};
    EXPECT_EQ(Button_effacer_liste_un_hdClick(program, browse, ui), 2u);
    EXPECT_EQ(ui.texts(), (Titles{" Effacer les 2 médias de la liste et relatives au disque FILMS-1234ABCD ?",
                                  "2 médias effacés de la liste et relatives au disque FILMS-1234ABCD"}));
    // "films" differs in letter case only and stays.
    EXPECT_EQ(titles(), (Titles{"t1", "t2", "t4", "t5"}));
    EXPECT_EQ(program.globalList.keys.size(), 4u);
    EXPECT_TRUE(list().ListModified);
    EXPECT_EQ(program.globalList.disks.size(), 2u); // the disk list is not rebuilt
    EXPECT_EQ(program.globalList.mediaCountCaption, "4 médias");
}

TEST_F(DeleteDisk, DeclinedOrNoDiskChosen) {
    ListBox_hd_referencerClick(program, browse, 1);
    ui.answers = {DialogButton::No};
    EXPECT_EQ(Button_effacer_liste_un_hdClick(program, browse, ui), 0u);
    EXPECT_EQ(list().mediaCount(), 6u);
    EXPECT_FALSE(list().ListModified);

    ListBox_hd_referencerClick(program, browse, 7); // outside the list: no change
    EXPECT_EQ(browse.chosenDiskCaption, "MUSIQUE-9999AAAA");

    BrowseState fresh;
    ui.answers = {DialogButton::Yes};
    EXPECT_EQ(Button_effacer_liste_un_hdClick(program, fresh, ui), 0u);
    EXPECT_EQ(ui.shown.back().text, "0 médias effacés de la liste et relatives au disque -/-");
    EXPECT_EQ(list().mediaCount(), 6u);
}

TEST_F(DeleteDisk, ANameHoldingTheSeparatorIsMatchedWhole) {
    Media m;
    m.disk = "FILMS-1234";
    m.serial = "ABCD";
    add(m); // its entry reads "FILMS-1234-ABCD", not that of FILMS-1234ABCD
    browse.chosenDiskCaption = "FILMS-1234ABCD";
    ui.answers = {DialogButton::Yes};
    EXPECT_EQ(Button_effacer_liste_un_hdClick(program, browse, ui), 2u);
    EXPECT_EQ(list().mediaCount(), 5u);
}

TEST_F(DeleteDisk, TheLastDiskLeavesTheEmptyList) {
    for (const char* entry : {"FILMS-1234ABCD", "films-1234ABCD", "MUSIQUE-9999AAAA"}) {
        browse.chosenDiskCaption = entry;
        ui.answers = {DialogButton::Yes};
        Button_effacer_liste_un_hdClick(program, browse, ui);
    }
    EXPECT_EQ(list().rowCount(), 2u);
    EXPECT_TRUE(list().isEmptyRow(1));
    EXPECT_EQ(program.globalList.mediaCountCaption, "aucun média");
}

class EmptyTheList : public ::testing::Test, public BrowseFixture {
protected:
    EmptyTheList() {
        program.catalogue.paths.derive(listFolder(), "liste_globale_médias");
        for (int i = 0; i < 10; ++i) addTitle("t" + std::to_string(i));
        reindex();
        extraire_hd_liste_globale(program.globalList);
    }
};

TEST_F(EmptyTheList, AsksWithTheCountThenEmptiesEverythingAndSavesTheParameters) {
    ui.answers = {DialogButton::Yes};
    ASSERT_TRUE(Button_vider_bdClick(program, ui));
    EXPECT_EQ(ui.shown[0].text, " Effacer tous les 10 médias de la liste ?            ");
    EXPECT_EQ(list().rowCount(), 2u);
    EXPECT_TRUE(list().isEmptyRow(1));
    EXPECT_EQ(program.globalList.keys.size(), 0u);
    EXPECT_TRUE(program.globalList.disks.empty());
    EXPECT_TRUE(list().ListModified);
    EXPECT_EQ(program.globalList.mediaCountCaption, "aucun média");
    EXPECT_TRUE(platform::isFile(program.catalogue.paths.ParamFilePath));

    EXPECT_FALSE(Button_vider_bdClick(program, ui));
    EXPECT_EQ(ui.shown.back().text, " rien à effacer...");
}

TEST_F(EmptyTheList, DeclinedKeepsTheRows) {
    ui.answers = {DialogButton::No};
    EXPECT_FALSE(Button_vider_bdClick(program, ui));
    EXPECT_EQ(list().mediaCount(), 10u);
    EXPECT_FALSE(platform::exists(program.catalogue.paths.ParamFilePath));
}

TEST(DiskList, FirstSpellingOfEachDiskInOrderOfAppearance) {
    BrowseFixture f;
    f.list().appendBlankRow(); // "-": no disk
    for (auto [disk, serial] :
         {std::pair{"B", "2"}, {"a", "1"}, {"B", "2"}, {"A", "1"}, {"b", "3"}, {"É", "4"}, {"é", "4"}}) {
        BrowseFixture::Media m;
        m.disk = disk;
        m.serial = serial;
        f.add(m);
    }
    extraire_hd_liste_globale(f.program.globalList);
    EXPECT_EQ(f.program.globalList.disks, (std::vector<std::string>{"B-2", "a-1", "b-3", "É-4"}));
}

// The key set after a deletion must be the one a rebuild gives, row counts included, whether it
// followed the deletion or had to be rebuilt.
class DeleteKeys : public ::testing::Test, public BrowseFixture {
protected:
    DeleteKeys() {
        Media m;
        m.title = "alien";
        add(m);
        m.title = "ALIEN"; // the same file at idx2, seen again in another folder
        m.folder = ":\\copies";
        add(m);
        addTitle("brazil");
        m.title = "dune";
        m.disk = "MUSIQUE";
        m.serial = "9999AAAA";
        add(m);
        reindex();
        extraire_hd_liste_globale(program.globalList);
    }
    int level() const { return program.catalogue.params.indexLevel; }
    void expectKeysOfTheTable() {
        KeySet fresh;
        IndexState state;
        indexer_liste(list(), fresh, level(), false, state);
        const KeySet& keys = program.globalList.keys;
        EXPECT_EQ(keys.size(), fresh.size());
        EXPECT_EQ(keys.rowCount(), fresh.rowCount());
        for (std::size_t r = 1; r < list().rowCount(); ++r) {
            const std::string key = cle_index(list(), r, level());
            EXPECT_EQ(keys.countOf(key), fresh.countOf(key)) << key;
        }
        EXPECT_EQ(program.globalList.index.keyCountCaption, state.keyCountCaption);
    }
};

TEST_F(DeleteKeys, AKeyStaysWhileARowHoldsItAndGoesWithItsLastRow) {
    const std::string alien = cle_index(list(), 1, level());
    ui.answers = {DialogButton::Yes};
    Button_delClick(program, browse, ui, {1}, 1);
    EXPECT_TRUE(program.globalList.keys.contains(alien)) << "the copy still holds the file";
    expectKeysOfTheTable();
    ui.answers = {DialogButton::Yes};
    Button_delClick(program, browse, ui, {1}, 1);
    EXPECT_FALSE(program.globalList.keys.contains(alien));
    expectKeysOfTheTable();

    ListBox_hd_referencerClick(program, browse, 1);
    ASSERT_EQ(browse.chosenDiskCaption, "MUSIQUE-9999AAAA");
    ui.answers = {DialogButton::Yes};
    EXPECT_EQ(Button_effacer_liste_un_hdClick(program, browse, ui), 1u);
    expectKeysOfTheTable();
    ui.answers = {DialogButton::Yes};
    Button_delClick(program, browse, ui, {1}, 1); // the last row: the empty list's key
    expectKeysOfTheTable();
}

TEST_F(DeleteKeys, KeysOfAnotherListOrLevelAreRebuiltAway) {
    IndexState state;
    KeySet& keys = program.globalList.keys;
    keys.insert("clé d'une autre liste");
    indexer_liste(list(), keys, level(), true, state); // as a start that keeps the keys does
    ui.answers = {DialogButton::Yes};
    Button_delClick(program, browse, ui, {3}, 1);
    EXPECT_FALSE(keys.contains("clé d'une autre liste"));
    expectKeysOfTheTable();

    program.catalogue.params.indexLevel = 0; // chosen without re-indexing: the keys are idx2's
    ui.answers = {DialogButton::Yes};
    Button_delClick(program, browse, ui, {3}, 1);
    EXPECT_EQ(keys.size(), 1u) << "both alien rows are one file at idx1";
    expectKeysOfTheTable();
}

TEST_F(DeleteSelection, TheMarkCountAfterADeletionIsAlwaysTheListsOwn) {
    const auto recount = [&] {
        return std::to_string(list().countCells(list().indice_col_liste(kMark), kMark));
    };
    const int mark = list().indice_col_liste(kMark);
    for (std::size_t r : {1u, 3u, 5u}) list().setCell(r, mark, kMark);
    CountMarks(program, browse);
    EXPECT_EQ(browse.markCountCaption, "3");

    // A marked and an unmarked row go: the count follows without the list being read again.
    ui.answers = {DialogButton::Yes};
    Button_delClick(program, browse, ui, {1, 2}, 1);
    EXPECT_EQ(browse.markCountCaption, "2");
    EXPECT_EQ(browse.markCountCaption, recount());

    // A mark changed since the count (by a path that does not count): the next deletion counts anew.
    list().setCell(2, mark, kMark);
    ui.answers = {DialogButton::Yes};
    Button_delClick(program, browse, ui, {4}, 1);
    EXPECT_EQ(browse.markCountCaption, recount());
    EXPECT_EQ(browse.markCountCaption, "3");

    // Deleting a disk's rows, then every row.
    browse.chosenDiskCaption = "FILMS-1234ABCD";
    ui.answers = {DialogButton::Yes};
    Button_effacer_liste_un_hdClick(program, browse, ui);
    EXPECT_EQ(browse.markCountCaption, "0");
    EXPECT_EQ(browse.markCountCaption, recount());
}
