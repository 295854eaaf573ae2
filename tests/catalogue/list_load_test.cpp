#include <gtest/gtest.h>

#include "catalogue/list_edits.h"
#include "catalogue/list_load.h"
#include "support/fake_ui.h"
#include "support/refused_threads.h"
#include "support/temp_folder.h"
#include "util/error.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

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

// Counts what the making of the keys posts: one post, once made.
class CountingUi : public FakeUi {
public:
    void post(std::function<void()> fn) override {
        ++posts;
        FakeUi::post(std::move(fn));
    }
    std::atomic<int> posts{0};
};

class KeysAfterRows : public LoadIndexed {
protected:
    // A state that makes its keys once the rows are in place, whatever the file's size.
    static void later(GlobalListState& state) { state.keysAfterBytesFrom = 0; }
    // Until the making has told it is over, without taking its keys yet.
    void waitUntilMade(int posts = 1) {
        for (int i = 0; i < 10000 && counting.posts < posts; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_GE(counting.posts, posts);
    }
    // Marks on every seventh row, and other texts in that column on every thirteenth.
    std::string markedFile(int rows) {
        std::string text = listFile(rows);
        std::size_t at = text.find("\r\n") + 2;
        for (int r = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2, ++r) {
            const std::string cell = r % 7 == 0 ? " x" : r % 13 == 0 ? (r % 2 ? "x" : "oui") : "";
            text.insert(at, cell);
            at += cell.size();
        }
        return text;
    }

    CountingUi counting;
};

TEST_F(KeysAfterRows, TheKeysAndDisksMadeOnceTheRowsAreInPlaceAreThoseMadeWhileReading) {
    const std::string path = folder.write("liste.txt", listFile(9001));
    for (int level = 0; level < kIndexLevels; ++level) {
        SCOPED_TRACE(level);
        GlobalListState state;
        later(state);
        ASSERT_EQ(loadIndexedList(state, path, level, false, true, counting, program()), LoadResult::Loaded);
        // Nothing is taken before it is asked for or told.
        EXPECT_TRUE(keysInMaking(state));
        EXPECT_EQ(state.keys.size(), 0u);
        EXPECT_TRUE(state.disks.empty());
        finishKeys(state);
        EXPECT_FALSE(keysInMaking(state));
        expectSameIndex(state, oneAfterTheOther(path, level), level);
        EXPECT_TRUE(disksCurrent(state));
    }
    // Told through the user-interface thread once made, and then in place; without a thread, the
    // same made here.
    for (long long refused : {0LL, test::kEveryStart}) {
        counting.runPosted(); // those of the states above, gone since: nothing
        counting.posts = 0;
        GlobalListState state;
        later(state);
        int told = 0;
        state.keysMade = [&] { ++told; };
        {
            test::RefusedThreads refusing(refused, 0);
            loadIndexedList(state, path, 2, false, true, counting, program());
        }
        waitUntilMade();
        counting.runPosted();
        EXPECT_EQ(told, 1);
        EXPECT_FALSE(keysInMaking(state));
        expectSameIndex(state, oneAfterTheOther(path, 2), 2);
    }
}

TEST_F(KeysAfterRows, RowsRemovedMeanwhileLeaveTheKeysAndDisksARemovalLeaves) {
    const std::string path = folder.write("liste.txt", listFile(9001));
    // Rows on both sides of where the making stands: at the start, and once it is over.
    // The first also takes every row of the first stretch of a disk, which comes back later on:
    // the disks stay in the order of the rows before the removal.
    std::vector<std::size_t> first{1, 2, 3, 700};
    for (std::size_t r = 701; r <= 1400; ++r) first.push_back(r);
    first.insert(first.end(), {4000, 8999, 9001});
    const std::vector<std::size_t> second{1, 5, 1400, 1401, 1402, 6000};
    GlobalListState expected = oneAfterTheOther(path, 2);
    removeListRows(expected, 2, first);
    removeListRows(expected, 2, second);

    // The making stands wherever the delay leaves it: before, among or after the rows removed.
    for (int delay = 0; delay < 16; ++delay) {
        SCOPED_TRACE(delay);
        counting.posts = 0;
        GlobalListState state;
        later(state);
        loadIndexedList(state, path, 2, false, true, counting, program());
        std::this_thread::sleep_for(std::chrono::microseconds(400 * delay));
        removeListRows(state, 2, first);
        EXPECT_TRUE(keysInMaking(state)) << "not waited for";
        waitUntilMade();
        removeListRows(state, 2, second);
        finishKeys(state);
        expectSameIndex(state, expected, 2);
        EXPECT_EQ(disksCurrent(state), disksCurrent(expected));
    }

    // At another level than theirs, the keys are waited for and then follow as usual.
    GlobalListState other;
    later(other);
    loadIndexedList(other, path, 1, false, true, counting, program());
    removeListRows(other, 2, first);
    EXPECT_FALSE(keysInMaking(other));
    EXPECT_EQ(other.keys.level(), 2);
    EXPECT_EQ(other.keys.rowCount() + 1, other.table.rowCount());
}

TEST_F(KeysAfterRows, TheMarksReadAreCountedAndClearedWithoutWaitingForTheKeys) {
    const std::string path = folder.write("liste.txt", markedFile(9001));
    const auto markCells = [](const GlobalList& table) {
        std::string cells;
        for (std::size_t r = 1; r < table.rowCount(); ++r)
            cells += std::string(table.cell(r, table.indice_col_liste(" x"))) + "|";
        return cells;
    };
    for (const bool changedSince : {false, true}) {
        SCOPED_TRACE(changedSince);
        GlobalListState state;
        later(state);
        loadIndexedList(state, path, 3, false, true, counting, program());
        const int marks = state.table.indice_col_liste(" x");
        EXPECT_TRUE(state.marksRead.known);
        EXPECT_EQ(state.marksRead.count, state.table.countCells(marks, " x"));
        EXPECT_EQ(state.marksRead.count, 1286u);
        EXPECT_EQ(state.marksRead.columnStamp, state.table.columnStamp(marks));

        // What clearing every mark of the rows as they are leaves.
        pauseKeys(state);
        if (changedSince) state.table.setCell(2, marks, "oui");
        GlobalListState expected;
        lire_liste(expected.table, path, ListMode::Replace, ui, program());
        if (changedSince) expected.table.setCell(2, marks, "oui");
        SetAllMarks(expected.table, "");

        clearListMarks(state);
        EXPECT_TRUE(keysInMaking(state));
        resumeKeys(state);
        EXPECT_EQ(markCells(state.table), markCells(expected.table));
        // Known empty since: cleared again without a change.
        const std::uint64_t stamp = state.table.columnStamp(marks);
        clearListMarks(state);
        EXPECT_EQ(state.table.columnStamp(marks), stamp);
        finishKeys(state);
        expectSameIndex(state, oneAfterTheOther(path, 3), 3);
    }
}

TEST_F(KeysAfterRows, AnyOtherChangeOfTheRowsWaitsForTheKeysOfTheRowsBeforeIt) {
    const std::string path = folder.write("liste.txt", listFile(9001));
    GlobalListState state;
    later(state);
    loadIndexedList(state, path, 2, false, true, counting, program());
    state.table.setCell(9001, state.table.indice_col_liste("titre"), "autre titre");
    EXPECT_FALSE(keysInMaking(state));
    expectSameIndex(state, oneAfterTheOther(path, 2), 2);
}

TEST_F(KeysAfterRows, AReloadDropsTheKeysInTheMakingAndAFailedOneMakesThemAgain) {
    const std::string small = folder.write("petite.txt", listFile(300));
    const std::string path = folder.write("liste.txt", listFile(9001));
    GlobalListState state;
    later(state);
    loadIndexedList(state, path, 2, false, true, counting, program());
    loadIndexedList(state, small, 2, false, true, counting, program());
    finishKeys(state);
    expectSameIndex(state, oneAfterTheOther(small, 2), 2);

    loadIndexedList(state, path, 2, false, true, counting, program());
    std::filesystem::create_directory(folder.file("dossier.txt"));
    EXPECT_THROW(loadIndexedList(state, folder.file("dossier.txt"), 2, false, true, counting, program()),
                 VerdanError);
    EXPECT_TRUE(keysInMaking(state));
    finishKeys(state);
    expectSameIndex(state, oneAfterTheOther(path, 2), 2);
    // Keys to be kept are waited for, then added to.
    loadIndexedList(state, small, 2, false, true, counting, program());
    loadIndexedList(state, small, 2, true, true, counting, program());
    EXPECT_FALSE(keysInMaking(state));
    EXPECT_EQ(state.keys.rowCount(), 600u);
}

} // namespace
