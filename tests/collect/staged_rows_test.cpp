#include <gtest/gtest.h>

#include "collect/new_row.h"
#include "collect/scan_rules.h"
#include "collect/staged_rows.h"
#include "platform/files.h"
#include "support/temp_folder.h"
#include "util/format.h"
#include "util/text.h"

#include <filesystem>
#include <stdexcept>

using namespace verdan;
using verdan::test::TempFolder;
namespace fs = std::filesystem;

namespace {

std::string dvdLine(int number, const std::string& title) {
    return "2025-03-05  >   -DVD" + PadLeftPairs(std::to_string(number), 4) + " - :\\" + title;
}

} // namespace

// The rows made from found lines, before they reach any list.
class StagingNewRows : public ::testing::Test {
protected:
    TempFolder drive;
    StagingInput input;
    NewRowLayout layout = NewRowLayout::of(GlobalList());
    KeySet known;
    std::vector<std::string> found;

    void SetUp() override {
        input.disk.label = "FILMS";
        input.disk.serial = "0A1B2C3D";
        input.disk.typeText = "USB";
        input.disk.freeBytes = 1000;
        input.disk.totalBytes = 2000;
        input.disk.ok = true;
        input.driveText = drive.path();
        input.decimalSeparator = ",";
    }
    // A line of the scan for a real file of the drive, written with `bytes`.
    void file(const std::string& rel, const std::string& bytes = "x",
              const std::string& date = "2020-05-01 10:30") {
        const std::string path = drive.file(rel);
        fs::create_directories(test::pathFromUtf8(path).parent_path());
        drive.write(rel, bytes);
        found.push_back(makeFoundLine(date, static_cast<std::int64_t>(bytes.size()), path, ","));
    }
    // Against a copy of `known`, which the staging would fill.
    StagedRows stage(int level) {
        KeySet keys = known;
        return stage(level, keys);
    }
    StagedRows stage(int level, KeySet& keys) {
        input.level = level;
        const std::vector<std::string_view> lines(found.begin(), found.end());
        return stageNewRows(lines, input, layout, keys);
    }
    static std::vector<std::string> column(const StagedRows& staged, const char* header) {
        const GlobalList headers;
        std::vector<std::string> v;
        for (std::size_t r = StagedRows::kFirstRow; r < staged.table.rowCount(); ++r)
            v.emplace_back(staged.table.cell(r, headers.indice_col_liste(header)));
        return v;
    }
};

TEST_F(StagingNewRows, TheLevelDecidesWhichLinesNameTheSameFile) {
    file("x/Heat.avi", "12");
    file("y/Heat.avi", "12");
    file("z/HEAT.avi", "123");
    file("z/heat.AVI", "123", "2021-01-01 00:00");
    EXPECT_EQ(column(stage(0), "répertoire"), std::vector<std::string>{":\\x"})
        << "idx1: one name on one disk, letter case aside";
    EXPECT_EQ(column(stage(1), "répertoire"), (std::vector<std::string>{":\\x", ":\\z"})) << "idx2: the size";
    EXPECT_EQ(column(stage(2), "répertoire"), (std::vector<std::string>{":\\x", ":\\z", ":\\z"}))
        << "idx3: the date";
    EXPECT_EQ(column(stage(3), "répertoire"), (std::vector<std::string>{":\\x", ":\\y", ":\\z", ":\\z"}))
        << "idx4: the folder";
    EXPECT_EQ(stage(7).size(), 4u) << "a level past the last counts as the last";
}

TEST_F(StagingNewRows, KnownKeysAndRepeatsOfTheBatchAreSkippedAndTheNumbersCloseUp) {
    file("a.avi");
    file("b.avi");
    ASSERT_EQ(stage(1, known).size(), 2u);
    EXPECT_EQ(known.size(), 2u) << "their keys joined the set";

    file("c.avi");
    file("sous/a.avi"); // the same name and size elsewhere on the disk
    file("d.avi", "xx");
    file("autre/c.avi");
    layout.firstNumber = 7;
    const StagedRows second = stage(1, known);
    EXPECT_EQ(column(second, "titre"), (std::vector<std::string>{"c", "d"}));
    EXPECT_EQ(column(second, "n"), (std::vector<std::string>{"        7", "        8"}));
    EXPECT_EQ(known.size(), 4u);
    EXPECT_EQ(second.keys.size(), second.table.rowCount() - StagedRows::kFirstRow);

    known.clear();
    EXPECT_EQ(stage(1).size(), 4u) << "repeats inside the batch still count once";
}

// A row the list cannot hold (a title of megabytes, from a hand-made DVD list) stops the staging.
TEST_F(StagingNewRows, AFailedStagingTakesItsKeysOutAgain) {
    known.insert(KeySet::hashOf("déjà là"));
    file("a.avi");
    file("b.avi");
    found.push_back(dvdLine(1, std::string(3 << 20, 'T')));
    EXPECT_THROW(stage(1, known), std::length_error);
    EXPECT_EQ(known.size(), 1u);
    EXPECT_TRUE(known.contains("déjà là"));
    found.pop_back();
    EXPECT_EQ(stage(1, known).size(), 2u) << "the files are not kept out";
}

TEST_F(StagingNewRows, AFileGoneSinceTheScanHasNoSize) {
    file("films/gone.avi", "abc");
    file("films/there.avi", "abcd");
    file("autre/gone.avi", "abcdef");
    ASSERT_TRUE(platform::removeFile(drive.file("films/gone.avi")));
    ASSERT_TRUE(platform::removeFile(drive.file("autre/gone.avi")));
    drive.write("films/there.avi", std::string(2048, 'y'));
    const StagedRows staged = stage(1);
    EXPECT_EQ(column(staged, "taille"), (std::vector<std::string>{FormatTaille(-1), FormatTaille(2048, ",")}))
        << "the size of now, not the scan's; two files gone by one name are one at idx2";
    EXPECT_EQ(stage(3).size(), 3u);
}

TEST_F(StagingNewRows, EveryCellGoesToItsHeadersColumnOrNowhere) {
    GlobalList list;
    list.setCell(0, 3, "ext");
    list.setCell(0, 4, "titre >>");
    list.setCell(0, 12, "autre");
    layout = NewRowLayout::of(list);
    file("a.avi", std::string(1536, 'z'));
    const StagedRows staged = stage(1);
    ASSERT_EQ(staged.size(), 1u);
    const std::vector<std::string> cells = staged.table.rowCells(StagedRows::kFirstRow);
    EXPECT_EQ(cells, (std::vector<std::string>{"        1", "FILMS", "vidéo", ".avi", "a", "2020-05-01 10:30",
                                               ":\\", FormatTaille(1536, ","), driveCell(drive.path()), "USB",
                                               "0A1B2C3D", FormatTaille(1000, ","), "", ""}));
}

// More lines than are made at once: the batch's repeats are found across the chunks and the
// order and numbers run on.
TEST_F(StagingNewRows, LongBatchesKeepTheirOrderAcrossChunks) {
    for (int i = 0; i < 20000; ++i) found.push_back(dvdLine(i, "Titre " + std::to_string(i % 15000)));
    input.driveText = "drive";
    input.disk.label = "DVD";
    input.disk.serial = "-";
    const StagedRows staged = stage(0);
    ASSERT_EQ(staged.size(), 15000u);
    const std::vector<std::string> titles = column(staged, "titre"), numbers = column(staged, "n");
    EXPECT_EQ(titles[9000], "Titre 9000");
    EXPECT_EQ(titles.back(), "Titre 14999");
    EXPECT_EQ(numbers.back(), "15000");
}

// The append: one move into the list, and what follows the rows follows.
class AppendingStagedRows : public StagingNewRows {
protected:
    GlobalListState globalList;
};

TEST_F(AppendingStagedRows, TheBlankRowGoesAndTheKeysAndDisksFollow) {
    file("a.avi");
    file("b.avi");
    layout = NewRowLayout::of(globalList.table);
    globalList.keys.setLevel(1);
    extraire_hd_liste_globale(globalList);
    EXPECT_EQ(appendStagedRows(globalList, stage(1, globalList.keys)), 2u);
    EXPECT_EQ(globalList.table.rowCount(), 3u);
    EXPECT_EQ(globalList.table.selectedRow(), 2u);
    EXPECT_EQ(globalList.keys.size(), 2u);
    EXPECT_EQ(globalList.keys.level(), 1) << "keys of the set's own level";
    EXPECT_EQ(globalList.disks, std::vector<std::string>{"FILMS-0A1B2C3D"});
    EXPECT_TRUE(disksCurrent(globalList));

    found.clear();
    file("c.avi");
    layout = NewRowLayout::of(globalList.table);
    EXPECT_EQ(appendStagedRows(globalList, stage(3, globalList.keys)), 3u);
    EXPECT_EQ(globalList.table.cell(3, 0), "        3");
    EXPECT_EQ(globalList.keys.level(), -1) << "keys of two levels are a mix";

    globalList.disks = {"ancien-0000"};
    EXPECT_EQ(appendStagedRows(globalList, stage(3, globalList.keys)), 0u) << "nothing new";
    EXPECT_EQ(globalList.table.rowCount(), 4u);
    EXPECT_EQ(globalList.disks, std::vector<std::string>{"FILMS-0A1B2C3D"}) << "a stale disk list is rebuilt";
}
