#include <gtest/gtest.h>

#include "catalogue/global_list.h"

#include <string>
#include <vector>

using namespace verdan;

namespace {

std::vector<std::string> cells(std::initializer_list<const char*> list) {
    std::vector<std::string> v(list.begin(), list.end());
    v.resize(kListColumns);
    return v;
}

std::vector<std::string> standardHeaders() {
    return {kStandardHeaders.begin(), kStandardHeaders.end()};
}

// Records every notification as a short text.
struct RecordingListener : GlobalListListener {
    std::vector<std::string> events;
    void aboutToReset() override { events.push_back("aboutToReset"); }
    void tableReset() override { events.push_back("reset"); }
    void aboutToInsertRows(std::size_t f, std::size_t c) override { add("aboutToInsert", f, c); }
    void rowsInserted(std::size_t f, std::size_t c) override { add("inserted", f, c); }
    void aboutToRemoveRows(std::size_t f, std::size_t c) override { add("aboutToRemove", f, c); }
    void rowsRemoved(std::size_t f, std::size_t c) override { add("removed", f, c); }
    void cellChanged(std::size_t r, int c) override { add("cell", r, static_cast<std::size_t>(c)); }
    void rowSelected(std::size_t r) override { add("selected", r, 0); }
    void add(const char* what, std::size_t a, std::size_t b) {
        events.push_back(std::string(what) + " " + std::to_string(a) + " " + std::to_string(b));
    }
};

// A table of n data rows whose "n" cell is the row number and whose title is "t<n>".
GlobalList numbered(int n) {
    GlobalList t;
    t.resetToEmptyList();
    t.removeRows({1});
    for (int i = 1; i <= n; ++i) {
        const std::string s = std::to_string(i);
        t.appendRow({s, "D", "vidéo", "t" + s});
    }
    return t;
}

std::vector<std::string> column(const GlobalList& t, int col) {
    std::vector<std::string> v;
    for (std::size_t r = 1; r < t.rowCount(); ++r) v.emplace_back(t.cell(r, col));
    return v;
}

} // namespace

TEST(GlobalListShape, StartsAsTheEmptyList) {
    GlobalList t;
    ASSERT_EQ(t.rowCount(), 2u);
    EXPECT_EQ(t.rowCells(0), standardHeaders());
    EXPECT_EQ(t.rowCells(1), std::vector<std::string>(kListColumns));
    EXPECT_TRUE(t.isBlankRow(1));
    EXPECT_EQ(t.mediaCount(), 0u);
    EXPECT_FALSE(t.ListModified);
    EXPECT_EQ(t.selectedRow(), 1u);
    EXPECT_EQ(t.cell(0, 13), " x");
    EXPECT_EQ(t.cell(0, 2), "média");
}

TEST(GlobalListShape, RowsAlwaysHoldFourteenCells) {
    GlobalList t;
    std::vector<std::string> many;
    for (int i = 0; i < 20; ++i) many.push_back("c" + std::to_string(i));
    const std::size_t r = t.appendRow(many);
    EXPECT_EQ(r, 2u);
    EXPECT_EQ(t.cell(r, 13), "c13");
    EXPECT_EQ(t.cell(r, 14), ""); // beyond the last column
    const std::size_t s = t.appendRow({"only", "two"});
    EXPECT_EQ(t.cell(s, 1), "two");
    EXPECT_EQ(t.cell(s, 2), "");
    EXPECT_EQ(t.rowText(s), "only\ttwo" + std::string(12, '\t'));
}

TEST(GlobalListShape, CellsCannotHoldSeparators) {
    GlobalList t;
    t.appendRow({"1", "a\tb", "c\r\nd"});
    EXPECT_EQ(t.cell(2, 1), "a?b");
    EXPECT_EQ(t.cell(2, 2), "c??d");
    t.setCell(2, 3, "x\ty");
    EXPECT_EQ(t.cell(2, 3), "x?y");
    EXPECT_EQ(t.cell(2, 4), "");
    // Long cells are cleaned many bytes at a time: separators anywhere, and nothing of a longer
    // row left in the next one.
    const std::string longCell = std::string(37, 'a') + "\t" + std::string(20, 'b') + "\r\n" + "\xC3\xA9";
    t.appendRow({longCell, longCell});
    const std::string clean = std::string(37, 'a') + "?" + std::string(20, 'b') + "??" + "\xC3\xA9";
    EXPECT_EQ(t.rowText(3), clean + "\t" + clean + std::string(12, '\t'));
    t.appendRow({"z"});
    EXPECT_EQ(t.rowText(4), "z" + std::string(13, '\t'));
}

TEST(GlobalListShape, OutOfRangeIsHarmless) {
    GlobalList t;
    EXPECT_EQ(t.cell(9, 0), "");
    EXPECT_EQ(t.cell(0, -1), "");
    t.setCell(0, -1, "x"); // a column lookup that found nothing
    t.setCell(9, 0, "x");
    t.setCell(1, kListColumns, "x");
    EXPECT_EQ(t.rowCells(0), standardHeaders());
    EXPECT_TRUE(t.isEmptyRow(1));
}

TEST(GlobalListCells, SetCellKeepsTheOtherCells) {
    GlobalList t;
    t.appendRow(cells({"1", "DISK", "vidéo", "Le château", ".avi"}));
    t.setCell(2, 3, "Un titre bien plus long qu'avant, avec des accents éèà");
    t.setCell(2, 0, "");
    t.setCell(2, 13, " x");
    EXPECT_EQ(t.rowCells(2),
              cells({"", "DISK", "vidéo", "Un titre bien plus long qu'avant, avec des accents éèà", ".avi",
                     "", "", "", "", "", "", "", "", " x"}));
    t.setCell(2, 3, "court");
    EXPECT_EQ(t.cell(2, 3), "court");
    EXPECT_EQ(t.cell(2, 4), ".avi");
    EXPECT_EQ(t.cell(2, 13), " x");
}

TEST(GlobalListCells, RewritingCellsManyTimesKeepsContentAndMemoryBounded) {
    GlobalList t = numbered(2000);
    for (int round = 0; round < 60; ++round) {
        for (std::size_t r = 1; r < t.rowCount(); ++r) {
            // Alternately longer and shorter, so rows move to the end of the store and leave waste.
            t.setCell(r, 3, std::string(round % 2 ? 200 : 20, 'a' + round % 26) + std::to_string(r));
        }
    }
    for (std::size_t r = 1; r < t.rowCount(); ++r) {
        ASSERT_EQ(t.cell(r, 0), std::to_string(r));
        ASSERT_EQ(t.cell(r, 3), std::string(200, 'a' + 59 % 26) + std::to_string(r)); // the last round
    }
    // Live text is about 2000 * 230 bytes; the store never keeps more than that plus a bounded waste.
    EXPECT_LT(t.memoryUsage(), 2000u * 230u * 2u + 4u * 1024u * 1024u);
}

TEST(GlobalListCells, MillionsOfBytesStayCompact) {
    GlobalList t;
    const std::string title(120, 'e');
    std::vector<std::vector<std::string>> batch;
    for (int i = 0; i < 20000; ++i) batch.push_back({std::to_string(i), "FILMS", "vidéo", title, ".avi"});
    t.appendRows(batch);
    std::size_t textBytes = 0;
    for (std::size_t r = 0; r < t.rowCount(); ++r) textBytes += t.rowText(r).size();
    // Row text plus 12 bytes of reference a row and the unused tail of the last block.
    EXPECT_LT(t.memoryUsage(), textBytes + 12 * t.rowCount() + 4u * 1024u * 1024u + 64u * 1024u);
    EXPECT_EQ(t.cell(20001, 3), title);
}

TEST(GlobalListCounts, MediaCountFollowsTheBlankRowRule) {
    GlobalList t;
    EXPECT_EQ(t.mediaCount(), 0u);
    t.setCell(1, 0, "   ");
    EXPECT_EQ(t.mediaCount(), 0u) << "blank after trimming";
    t.setCell(1, 3, "a title does not matter");
    EXPECT_EQ(t.mediaCount(), 0u) << "only column 0 decides";
    t.setCell(1, 0, "1");
    EXPECT_EQ(t.mediaCount(), 1u);
    t.appendBlankRow();
    EXPECT_EQ(t.mediaCount(), 2u) << "a blank row among others counts";
    t.removeRows({1, 2});
    EXPECT_EQ(t.rowCount(), 1u);
    EXPECT_EQ(t.mediaCount(), 0u) << "header row alone";
}

TEST(ColumnLookup, FindsHeadersWithOrWithoutSortMarkers) {
    GlobalList t;
    EXPECT_EQ(t.indice_col_liste("taille"), 7);
    t.setCell(0, 7, "taille >>");
    EXPECT_EQ(t.indice_col_liste("taille"), 7);
    EXPECT_EQ(t.indice_col_liste("taille <<"), 7);
    t.setCell(0, 3, "titre <<");
    EXPECT_EQ(t.indice_col_liste("titre"), 3);
    EXPECT_EQ(t.indice_col_liste(" x"), 13);
    EXPECT_EQ(t.indice_col_liste("x"), -1);
    EXPECT_EQ(t.indice_col_liste("Taille"), -1) << "letter case counts";
    EXPECT_EQ(t.indice_col_liste(""), -1);
    EXPECT_EQ(t.indice_col_liste("   "), -1);
    EXPECT_EQ(t.indice_col_liste("répertoire"), 6);
}

TEST(ColumnLookup, OnlyTheFirstMarkerOfEachKindGoes) {
    EXPECT_EQ(oter_marques_tri("taille >> >>"), "taille >>");
    EXPECT_EQ(oter_marques_tri("a << b >>"), "a b");
    GlobalList t;
    t.setCell(0, 7, "taille >> >>");
    EXPECT_EQ(t.indice_col_liste("taille"), -1);
}

TEST(ColumnLookup, BlankHeaderNeverMatches) {
    GlobalList t;
    t.setCell(0, 5, "");
    EXPECT_EQ(t.indice_col_liste(""), -1);
    t.init_entetes();
    EXPECT_EQ(t.indice_col_liste("date"), 5);
}

TEST(GlobalListRows, InitEntetesRestoresHeadersByPosition) {
    GlobalList t;
    t.setCell(0, 7, "taille >>");
    t.setCell(0, 0, "autre");
    RecordingListener l;
    t.setListener(&l);
    t.init_entetes();
    EXPECT_EQ(t.rowCells(0), standardHeaders());
    EXPECT_EQ(l.events, (std::vector<std::string>{"cell 0 0", "cell 0 7"}));
}

TEST(GlobalListRows, RemovingScatteredRowsCompactsOnceAndResets) {
    GlobalList t = numbered(10);
    RecordingListener l;
    t.setListener(&l);
    t.removeRows({0, 2, 5, 9, 42});
    EXPECT_EQ(column(t, 0), (std::vector<std::string>{"1", "3", "4", "6", "7", "8", "10"}));
    EXPECT_EQ(t.cell(0, 0), "n") << "the header row is never removed";
    EXPECT_EQ(l.events, (std::vector<std::string>{"aboutToReset", "reset"}));
}

TEST(GlobalListRows, RemovingARunTellsWhichRows) {
    GlobalList t = numbered(6);
    RecordingListener l;
    t.setListener(&l);
    std::vector<bool> keep(t.rowCount(), true);
    keep[2] = keep[3] = keep[4] = false;
    t.keepRows(keep);
    EXPECT_EQ(column(t, 0), (std::vector<std::string>{"1", "5", "6"}));
    EXPECT_EQ(l.events, (std::vector<std::string>{"aboutToRemove 2 3", "removed 2 3"}));
    l.events.clear();
    t.keepRows(std::vector<bool>(t.rowCount(), true));
    EXPECT_TRUE(l.events.empty());
}

TEST(GlobalListRows, ReorderKeepsTheHeaderFirst) {
    GlobalList t = numbered(4);
    t.reorderDataRows({4, 2, 3, 1});
    EXPECT_EQ(column(t, 3), (std::vector<std::string>{"t4", "t2", "t3", "t1"}));
    EXPECT_EQ(t.cell(0, 3), "titre");
}

TEST(GlobalListRows, AppendingNotifiesBeforeAndAfter) {
    GlobalList t;
    RecordingListener l;
    t.setListener(&l);
    t.appendRow({"1"});
    t.appendRows({{"2"}, {"3"}});
    t.appendRows({});
    EXPECT_EQ(l.events, (std::vector<std::string>{"aboutToInsert 2 1", "inserted 2 1", "aboutToInsert 3 2",
                                                  "inserted 3 2"}));
}

TEST(GlobalListRows, AppendRowsFromAnotherTableTakesItsRowsOver) {
    GlobalList t = numbered(2);
    GlobalList other = numbered(3);
    t.setCell(1, 3, "changed"); // rows rewritten before the merge stay right
    RecordingListener l;
    t.setListener(&l);
    t.appendRowsFrom(std::move(other), 1);
    EXPECT_EQ(column(t, 3), (std::vector<std::string>{"changed", "t2", "t1", "t2", "t3"}));
    EXPECT_EQ(l.events, (std::vector<std::string>{"aboutToInsert 3 3", "inserted 3 3"}));
    t.setCell(5, 3, "after");
    EXPECT_EQ(t.cell(5, 3), "after");
    EXPECT_EQ(t.cell(4, 3), "t2");
}

TEST(GlobalListRows, ReplaceAllAndResetToEmptyList) {
    GlobalList t = numbered(3);
    RecordingListener l;
    t.setListener(&l);
    GlobalList other = numbered(1);
    other.setCell(0, 7, "taille >>");
    t.replaceAll(std::move(other));
    EXPECT_EQ(t.rowCount(), 2u);
    EXPECT_EQ(t.cell(0, 7), "taille >>");
    EXPECT_EQ(t.cell(1, 3), "t1");
    t.resetToEmptyList();
    EXPECT_EQ(t.rowCount(), 2u);
    EXPECT_EQ(t.rowCells(0), standardHeaders());
    EXPECT_TRUE(t.isEmptyRow(1));
    EXPECT_EQ(l.events, (std::vector<std::string>{"aboutToReset", "reset", "aboutToReset", "reset"}));
}

TEST(GlobalListRows, ListenerStaysWithItsTable) {
    GlobalList t;
    RecordingListener l;
    t.setListener(&l);
    GlobalList moved(std::move(t));
    moved.appendRow({"1"});
    EXPECT_TRUE(l.events.empty());
    EXPECT_EQ(moved.rowCount(), 3u);
}
