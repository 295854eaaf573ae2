#include <gtest/gtest.h>

#include "catalogue/index_keys.h"
#include "catalogue/list_edits.h"
#include "catalogue/list_load.h"
#include "support/fake_ui.h"
#include "support/temp_folder.h"
#include "util/file_helpers.h"

#include <fstream>
#include <string>
#include <vector>

using namespace verdan;
using verdan::test::FakeUi;

namespace {

// Records what it hears, and what the table held when it heard it.
struct Recorder : ListObserver {
    explicit Recorder(GlobalListState& globalList) : globalList(globalList) {
        globalList.observers.push_back(this);
    }
    void listAboutToChange(const ListChange& change) override {
        heard.push_back("before " + describe(change, true));
    }
    void listChanged(const ListChange& change) override {
        heard.push_back("after " + describe(change, false));
    }
    // The titles of the rows removed, read before they go.
    std::string describe(const ListChange& change, bool before) const {
        std::string text;
        switch (change.kind) {
        case ListChange::Kind::Replaced:
            text = "replaced";
            break;
        case ListChange::Kind::RowsRemoved:
            text = "removed";
            break;
        case ListChange::Kind::RowsAppended:
            text = "appended";
            break;
        case ListChange::Kind::CellsChanged:
            text = "cells";
            break;
        }
        if (change.removed && before) {
            for (std::size_t r : *change.removed) text += " " + std::string(globalList.table.cell(r, 3));
        }
        if (change.count) text += " " + std::to_string(change.first) + "+" + std::to_string(change.count);
        if (change.column >= 0) text += " col" + std::to_string(change.column);
        return text + " /" + std::to_string(globalList.table.rowCount() - 1);
    }
    GlobalListState& globalList;
    std::vector<std::string> heard;
};

std::vector<std::string> row(const std::string& title, const std::string& disk = "FILMS") {
    return {"1",   disk,       "vidéo", title,  ".avi", "2020-01-01 10:00", ":\\films", "700 Mo", "E",
            "USB", "1234ABCD", "1 Go",  "2 Go", ""};
}

class ListEdits : public ::testing::Test {
protected:
    ListEdits() {
        for (const char* t : {"a", "b", "c", "d"}) {
            if (gl.table.rowCount() == 2 && gl.table.isEmptyRow(1)) {
                gl.table.setRow(1, row(t));
            } else {
                gl.table.appendRow(row(t));
            }
        }
        indexer_liste(gl.table, gl.keys, kLevel, false, gl.index);
    }
    static constexpr int kLevel = 1;
    GlobalListState gl;
    Recorder recorder{gl};
};

} // namespace

TEST_F(ListEdits, ARemovalIsHeardWhileItsRowsCanStillBeReadAndTakesTheirKeys) {
    keepListRows(gl, kLevel, {true, false, true, false, true});
    EXPECT_EQ(recorder.heard, (std::vector<std::string>{"before removed a c /4", "after removed /2"}));
    EXPECT_EQ(gl.table.cell(1, 3), "b");
    EXPECT_EQ(gl.table.cell(2, 3), "d");
    EXPECT_EQ(gl.keys.size(), 2u);

    // The last rows leave the empty list, its blank row holding the empty key.
    keepListRows(gl, kLevel, {true, false, false});
    EXPECT_EQ(gl.table.rowCount(), 2u);
    EXPECT_TRUE(gl.table.isEmptyRow(1));
    EXPECT_EQ(recorder.heard.back(), "after removed /1");
}

TEST_F(ListEdits, AppendedRowsAreNumberedAsTheTableHasThemAndTakeTheBlankRowsPlace) {
    GlobalList staged;
    staged.appendRow(row("e"));
    staged.appendRow(row("f"));
    appendListRows(gl, std::move(staged), 2, false);
    EXPECT_EQ(recorder.heard.back(), "after appended 5+2 /6");
    EXPECT_EQ(gl.table.cell(6, 3), "f");

    GlobalListState empty;
    Recorder second{empty};
    GlobalList more;
    more.appendRow(row("g"));
    appendListRows(empty, std::move(more), 2, true);
    EXPECT_EQ(second.heard, (std::vector<std::string>{"before appended 1+1 /1", "after appended 1+1 /1"}));
    EXPECT_EQ(empty.table.cell(1, 3), "g");

    // Nothing staged: nothing heard.
    GlobalList none;
    appendListRows(empty, std::move(none), 2, false);
    EXPECT_EQ(second.heard.size(), 2u);
}

TEST_F(ListEdits, CellsOfOneRowAndNoRowOutsideTheData) {
    replaceListCells(gl, kLevel, {{2, {{3, "B2"}}}});
    replaceListCells(gl, kLevel, {{3, {{3, "C2"}, {6, ":\\autres"}}}});
    replaceListCells(gl, kLevel, {{0, {{3, "en-tête"}}}});
    replaceListCells(gl, kLevel, {{9, {{3, "ailleurs"}}}});
    EXPECT_EQ(recorder.heard, (std::vector<std::string>{"before cells 2+1 col3 /4", "after cells 2+1 col3 /4",
                                                        "before cells 3+1 /4", "after cells 3+1 /4"}));
    EXPECT_EQ(gl.table.cell(2, 3), "B2");
    EXPECT_EQ(gl.table.cell(3, 6), ":\\autres");
    EXPECT_EQ(gl.table.cell(0, 3), "titre");
}

TEST_F(ListEdits, ReindexingRemovesItsDuplicatesAsAnEdit) {
    gl.table.appendRow(row("A"));
    gl.table.appendRow(row("b"));
    FakeUi ui;
    ui.answers = {DialogButton::Yes};
    EXPECT_EQ(reindexer_liste(gl.table, gl.keys, kLevel, gl.index, ui, {}, gl.observers),
              ReindexOutcome::Cleaned);
    EXPECT_EQ(recorder.heard, (std::vector<std::string>{"before removed A b /6", "after removed /4"}));
}

TEST_F(ListEdits, ALoadIsHeardAsAReplacementOnlyWhenItChangedTheTable) {
    verdan::test::TempFolder dir;
    FakeUi ui;
    loadIndexedList(gl, dir.file("absente.txt"), kLevel, false, true, ui, dir.path());
    EXPECT_TRUE(recorder.heard.empty()) << "a missing file leaves the table as it was";

    const std::string path = dir.file("liste.txt");
    std::ofstream(verdan::test::pathFromUtf8(path), std::ios::binary)
        << "n\tnom-disque\tm\xE9"
           "dia\ttitre\text\tdate\tr\xE9pertoire\ttaille\tdrive\ttype-disque\tNS-disque\tlibre\ttotal\t x\r\n"
           "1\tFILMS\tvid\xE9o\tz\t.avi\t2020-01-01 10:00\t:\\films\t700 Mo\tE\tUSB\t1234ABCD\t1 Go\t2 "
           "Go\t\r\n";
    EXPECT_EQ(loadIndexedList(gl, path, kLevel, false, true, ui, dir.path()), LoadResult::Loaded);
    EXPECT_EQ(recorder.heard, (std::vector<std::string>{"before replaced /1", "after replaced /1"}));
    EXPECT_EQ(gl.keys.size(), 1u) << "heard after the keys were made";
}
