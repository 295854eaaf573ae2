#include <gtest/gtest.h>

#include "catalogue/list_load.h"
#include "support/fake_ui.h"
#include "support/refused_threads.h"
#include "support/temp_folder.h"
#include "util/error.h"

#include <filesystem>
#include <stdexcept>

using namespace verdan;
using verdan::test::FakeUi;
using verdan::test::TempFolder;

namespace {

const std::string kHeader =
    "n\tnom-disque\tm\xE9"
    "dia\ttitre\text\tdate\tr\xE9pertoire\ttaille\tdrive\ttype-disque\tNS-disque\tlibre\ttotal\t x";

// A list file of `rows` rows over a few disks, with repeated keys (a title on two rows of one
// disk, its letter case changed) and accents, Windows-1252, CR LF.
std::string listFile(int rows) {
    std::string text = kHeader + "\r\n";
    for (int i = 0; i < rows; ++i) {
        const int disk = (i / 700) % 5;
        const std::string title =
            (i % 11 == 0 ? "FILM \xC9T\xC9 " : "film \xE9t\xE9 ") + std::to_string(i / 2);
        text += std::to_string(i + 1) + "\tDISQUE" + std::to_string(disk) + "\tvid\xE9o\t" + title +
                "\t.mkv\t2021-0" + std::to_string(1 + i % 9) + "-01 10:00\t:\\films\\" +
                std::to_string(i % 3) + "\t" + std::to_string(700 + i % 4) + " Mo\tE\tUSB\t" +
                std::to_string(1000 + disk) + "ABCD\t1 Go\t2 Go\t\r\n";
    }
    return text;
}

class LoadIndexed : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directory(folder.file("prog")); }
    std::string program() const { return folder.file("prog"); }

    // What lire_liste followed by indexer_liste and extraire_hd_liste_globale give.
    GlobalListState oneAfterTheOther(const std::string& path, int level) {
        GlobalListState state;
        lire_liste(state.table, path, ListMode::Replace, ui, program());
        indexer_liste(state.table, state.keys, level, false, state.index);
        extraire_hd_liste_globale(state);
        return state;
    }
    void expectSameIndex(const GlobalListState& built, const GlobalListState& expected, int level) {
        ASSERT_EQ(built.table.rowCount(), expected.table.rowCount());
        EXPECT_EQ(built.keys.size(), expected.keys.size());
        EXPECT_EQ(built.keys.rowCount(), expected.keys.rowCount());
        EXPECT_EQ(built.keys.level(), expected.keys.level());
        for (std::size_t r = 1; r < built.table.rowCount(); ++r) {
            const std::string key = cle_index(built.table, r, level);
            ASSERT_EQ(built.keys.countOf(key), expected.keys.countOf(key)) << r << " " << key;
        }
        EXPECT_EQ(built.disks, expected.disks);
        EXPECT_EQ(built.index.levelCaption, expected.index.levelCaption);
        EXPECT_EQ(built.index.keyCountCaption, expected.index.keyCountCaption);
        EXPECT_EQ(built.index.collectionKeyCountCaption, expected.index.collectionKeyCountCaption);
    }

    TempFolder folder;
    FakeUi ui;
};

TEST_F(LoadIndexed, KeysAndDisksMadeWhileReadingAreThoseMadeAfter) {
    // Several hand-overs of rows, the last one short; blank lines in the file are not rows.
    std::string text = listFile(9001);
    text.insert(text.find("\r\n") + 2, "\r\n   \r\n");
    const std::string path = folder.write("liste.txt", text);
    for (int level = 0; level < kIndexLevels; ++level) {
        GlobalListState state;
        state.keys.insert("une clé d'une autre liste");
        state.disks = {"ANCIEN-0000"};
        ASSERT_EQ(loadIndexedList(state, path, level, false, true, ui, program()), LoadResult::Loaded);
        expectSameIndex(state, oneAfterTheOther(path, level), level);
        EXPECT_FALSE(state.keys.contains("une clé d'une autre liste"));
    }
}

TEST_F(LoadIndexed, ListsWithoutRowsAndKeysKeptFallBackToTheTableItself) {
    GlobalListState state;
    // Only a header: the table gets its blank row, whose empty key the set holds.
    const std::string headerOnly = folder.write("entete.txt", kHeader + "\r\n");
    loadIndexedList(state, headerOnly, 1, false, true, ui, program());
    expectSameIndex(state, oneAfterTheOther(headerOnly, 1), 1);
    EXPECT_EQ(state.keys.countOf(""), 1u);

    // Keys kept from before stay beside those of the rows read, and the set then stands for no level.
    const std::string path = folder.write("liste.txt", listFile(30));
    state.keys.clear();
    state.keys.add("gardée");
    state.disks = {"ANCIEN-0000"};
    loadIndexedList(state, path, 1, true, false, ui, program());
    EXPECT_TRUE(state.keys.contains("GARDÉE"));
    EXPECT_EQ(state.keys.size(), oneAfterTheOther(path, 1).keys.size() + 1);
    EXPECT_EQ(state.keys.level(), -1);
    EXPECT_EQ(state.disks, std::vector<std::string>{"ANCIEN-0000"}) << "the disk list was not asked for";
}

TEST_F(LoadIndexed, AFileThatCannotBeReadLeavesEverythingAsItWas) {
    const std::string path = folder.write("liste.txt", listFile(20));
    GlobalListState state;
    loadIndexedList(state, path, 1, false, true, ui, program());
    const std::size_t keys = state.keys.size();
    const auto disks = state.disks;

    EXPECT_EQ(loadIndexedList(state, folder.file("absente.txt"), 1, false, true, ui, program()),
              LoadResult::Missing);
    EXPECT_EQ(state.table.rowCount(), 21u);
    EXPECT_EQ(state.keys.size(), keys);
    EXPECT_EQ(state.disks, disks);

    std::filesystem::create_directory(folder.file("dossier.txt"));
    EXPECT_THROW(loadIndexedList(state, folder.file("dossier.txt"), 1, false, true, ui, program()),
                 VerdanError);
    EXPECT_EQ(state.table.rowCount(), 21u);
    EXPECT_EQ(state.keys.size(), keys);
    EXPECT_EQ(state.keys.level(), 1);
}

TEST_F(LoadIndexed, WithoutHelperThreadsTheKeysAndDisksAreTheSame) {
    const std::string path = folder.write("liste.txt", listFile(9001));
    const GlobalListState expected = oneAfterTheOther(path, 2);
    for (long long after = 0; after < 4; ++after) {
        for (long long count : {1LL, test::kEveryStart}) {
            SCOPED_TRACE("refused after " + std::to_string(after) + " starts: " + std::to_string(count));
            GlobalListState state;
            {
                test::RefusedThreads refused(count, after);
                ASSERT_EQ(loadIndexedList(state, path, 2, false, true, ui, program()), LoadResult::Loaded);
            }
            expectSameIndex(state, expected, 2);
            // Keys kept from before: indexed after the reading, the disk list beside it.
            state.keys.add("gardée");
            {
                test::RefusedThreads refused(count, after);
                loadIndexedList(state, path, 2, true, true, ui, program());
            }
            EXPECT_EQ(state.keys.size(), expected.keys.size() + 1);
            EXPECT_EQ(state.disks, expected.disks);
        }
    }
}

// A follower that fails part-way: the load fails with it and the table stays as it was.
class FailingFollower : public RowFollower {
public:
    void follow(const std::vector<std::string_view>& rows) override {
        seen += rows.size();
        if (seen > 5000) throw std::runtime_error("plus de mémoire");
    }
    std::size_t seen = 0;
};

TEST_F(LoadIndexed, AFollowerThatFailsFailsTheLoadAndTheTableStays) {
    const std::string path = folder.write("liste.txt", listFile(20000));
    GlobalList table;
    table.appendRow({"1", "GARDÉE"});
    FailingFollower follower;
    EXPECT_THROW(lire_liste(table, path, ListMode::Replace, ui, program(), &follower), std::runtime_error);
    EXPECT_EQ(table.rowCount(), 3u);
    EXPECT_EQ(table.cell(2, 1), "GARDÉE");
    EXPECT_LT(follower.seen, 20001u) << "nothing more is handed over once it failed";
}

} // namespace
