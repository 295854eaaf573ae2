#include <gtest/gtest.h>

#include "catalogue/global_list.h"
#include "catalogue/program_state.h"

using namespace verdan;

namespace {

struct RecordingListener : GlobalListListener {
    std::vector<std::string> events;
    void aboutToReset() override { events.push_back("aboutToReset"); }
    void tableReset() override { events.push_back("reset"); }
    void cellChanged(std::size_t row, int col) override {
        events.push_back("cell " + std::to_string(row) + "," + std::to_string(col));
    }
};

struct ColumnListener : RecordingListener {
    void columnChanged(int col, std::size_t first, std::size_t last) override {
        events.push_back("column " + std::to_string(col) + " " + std::to_string(first) + "-" +
                         std::to_string(last));
    }
};

GlobalList threeRows() {
    GlobalList t;
    t.resetToEmptyList();
    t.setRow(1, {"1", "A", "vidéo", "un", ".avi", "", ":\\", "1 Mo", "E", "USB", "AAAA0001", "", "", ""});
    t.appendRow({"2", "A", "vidéo", "deux", ".avi", "", ":\\", "2 Mo", "E", "USB", "AAAA0001", "", "", " x"});
    t.appendRow({"3", "B", "vidéo", "trois", ".avi", "", ":\\", "3 Mo", "F", "USB", "BBBB0002", "", "", ""});
    return t;
}

} // namespace

TEST(GlobalListSetColumn, SetsEveryDataRowAndLeavesTheOtherCells) {
    GlobalList t = threeRows();
    t.setColumn(13, " x");
    for (std::size_t r = 1; r <= 3; ++r) {
        EXPECT_EQ(t.cell(r, 13), " x");
        EXPECT_EQ(t.cell(r, 12), "");
    }
    EXPECT_EQ(t.cell(0, 13), " x"); // the header " x" itself
    EXPECT_EQ(t.cell(2, 3), "deux");
    EXPECT_EQ(t.rowCells(3), (std::vector<std::string>{"3", "B", "vidéo", "trois", ".avi", "", ":\\", "3 Mo",
                                                       "F", "USB", "BBBB0002", "", "", " x"}));
    t.setColumn(13, "");
    EXPECT_EQ(t.cell(2, 13), "");
    EXPECT_EQ(t.cell(2, 10), "AAAA0001");
    EXPECT_EQ(t.cell(0, 13), " x");
}

TEST(GlobalListSetColumn, WorksOnAMiddleColumnAndCleansTabs) {
    GlobalList t = threeRows();
    t.setColumn(3, "a\tb");
    EXPECT_EQ(t.cell(1, 3), "a?b");
    EXPECT_EQ(t.cell(1, 4), ".avi");
    EXPECT_EQ(t.cell(3, 2), "vidéo");
}

TEST(GlobalListSetColumn, NotifiesOnceForTheRowsThatChanged) {
    GlobalList t = threeRows();
    ColumnListener l;
    t.setListener(&l);
    t.setColumn(13, " x");
    EXPECT_EQ(l.events, (std::vector<std::string>{"column 13 1-3"}));
    l.events.clear();
    t.setColumn(13, " x");
    EXPECT_TRUE(l.events.empty());
    t.setCell(2, 13, "");
    l.events.clear();
    t.setColumn(13, " x");
    EXPECT_EQ(l.events, (std::vector<std::string>{"column 13 2-2"}));
}

TEST(GlobalListSetColumn, DefaultNotificationFallsBackToCells) {
    GlobalList t = threeRows();
    RecordingListener l;
    t.setListener(&l);
    t.setColumn(13, "");
    EXPECT_EQ(l.events, (std::vector<std::string>{"cell 2,13"}));
}

TEST(GlobalListSetColumn, SetAllMarksOnAListWithoutMarkColumnChangesNothing) {
    GlobalList t = threeRows();
    t.setCell(0, 13, "autre");
    SetAllMarks(t, " x");
    EXPECT_EQ(t.cell(1, 13), "");
    t.setCell(0, 13, " x >>");
    SetAllMarks(t, " x");
    EXPECT_EQ(t.cell(1, 13), " x");
}

TEST(GlobalListCellLookup, LateCellsOfPaddedAndFullRows) {
    GlobalList t = threeRows();
    t.appendRow({"4", "C"});
    EXPECT_EQ(t.cell(4, 1), "C");
    EXPECT_EQ(t.cell(4, 13), "");
    EXPECT_EQ(t.cell(4, 10), "");
    EXPECT_EQ(t.cell(3, 10), "BBBB0002");
    EXPECT_EQ(t.cell(3, 8), "F");
}

TEST(GlobalListAssignRows, CopiesTheHeaderAndTheRowsInTheGivenOrder) {
    GlobalList source = threeRows();
    source.setCell(0, 3, "titre >>");
    GlobalList copy;
    ColumnListener l;
    copy.setListener(&l);
    copy.assignRowsFrom(source, {3, 1, 0, 9});
    ASSERT_EQ(copy.rowCount(), 3u); // row 0 and rows out of range are not data rows
    EXPECT_EQ(copy.cell(0, 3), "titre >>");
    EXPECT_EQ(copy.cell(1, 3), "trois");
    EXPECT_EQ(copy.cell(2, 3), "un");
    EXPECT_EQ(l.events, (std::vector<std::string>{"aboutToReset", "reset"}));
    EXPECT_EQ(source.rowCount(), 4u);

    copy.assignRowsFrom(source, {});
    EXPECT_EQ(copy.rowCount(), 1u);
    EXPECT_EQ(copy.cell(0, 13), " x");
}

TEST(GlobalListSetColumn, MarksToggleInPlaceWithoutGrowingTheStore) {
    GlobalList t;
    t.resetToEmptyList();
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < 5000; ++i)
        rows.push_back({std::to_string(i), "D", "vidéo", "titre " + std::to_string(i)});
    t.appendRows(rows);
    t.setColumn(13, " x");
    const std::size_t marked = t.memoryUsage();
    for (int round = 0; round < 3; ++round) {
        t.setColumn(13, "");
        t.setColumn(13, " x");
    }
    EXPECT_EQ(t.memoryUsage(), marked);
    EXPECT_EQ(t.countCells(13, " x"), 5001u); // the blank row too
    EXPECT_EQ(t.cell(4000, 3), "titre 3998");
}

TEST(GlobalListSetColumn, LongerTextsMoveTheRowsAndKeepTheirNeighbours) {
    GlobalList t = threeRows();
    t.setColumn(13, "marque longue", 2, 3);
    EXPECT_EQ(t.cell(1, 13), "");
    EXPECT_EQ(t.cell(2, 13), "marque longue");
    EXPECT_EQ(t.cell(3, 13), "marque longue");
    EXPECT_EQ(t.cell(3, 12), "");
    EXPECT_EQ(t.cell(3, 10), "BBBB0002");
    t.setColumn(6, ":\\un dossier bien plus long que le précédent");
    EXPECT_EQ(t.cell(2, 6), ":\\un dossier bien plus long que le précédent");
    EXPECT_EQ(t.cell(2, 7), "2 Mo");
    EXPECT_EQ(t.cell(2, 13), "marque longue");
    EXPECT_EQ(t.countCells(13, "marque longue"), 2u);
    EXPECT_EQ(t.countCells(-1, ""), 0u);
}

TEST(GlobalListReorder, RowsAreRewrittenInTheirNewOrder) {
    GlobalList t = threeRows();
    t.setCell(2, 13, ""); // rewritten in place: a row no longer where it was first written
    t.reorderDataRows({3, 1, 2});
    EXPECT_EQ(t.cell(1, 3), "trois");
    EXPECT_EQ(t.cell(2, 3), "un");
    EXPECT_EQ(t.cell(3, 3), "deux");
    EXPECT_EQ(t.cell(0, 3), "titre");
    // A row left out disappears; a row named twice is there twice.
    t.reorderDataRows({2, 2});
    ASSERT_EQ(t.rowCount(), 3u);
    EXPECT_EQ(t.cell(1, 3), "un");
    EXPECT_EQ(t.cell(2, 3), "un");
    t.setColumn(13, " x");
    EXPECT_EQ(t.cell(1, 13), " x");
    EXPECT_EQ(t.cell(2, 13), " x");
}
