#include <gtest/gtest.h>

#include "browse/keyboard.h"
#include "browse/marks.h"
#include "browse/opening.h"
#include "browse/search.h"
#include "browse/sort.h"
#include "browse_fixture.h"
#include "catalogue/list_edits.h"

using namespace verdan;
using namespace verdan::test;

using Marks = std::vector<std::string>;

class Marking : public ::testing::Test, public BrowseFixture {
protected:
    Marking() {
        for (int i = 1; i <= 5; ++i) {
            Media m;
            m.title = i % 2 ? "impair " + std::to_string(i) : "pair " + std::to_string(i);
            add(m);
        }
    }
    Marks marks(GridTable t) { return column(t, " x"); }
    Marks marks() { return marks(list()); }
    KeyOutcome space(RowSet selection, bool advanced = true) {
        GridKeyContext c;
        c.currentRow = selection.empty() ? 1 : selection.front();
        c.rowCount = list().rowCount();
        c.visibleRows = 10;
        c.selection = selection;
        c.advancedMode = advanced;
        return StringGrid1KeyDown(program, browse, {kKeySpace, false, false}, c);
    }
};

TEST_F(Marking, SpaceMarksUnmarkedRowsThenUnmarksThem) {
    EXPECT_TRUE(space({2, 3, 4}).swallowed);
    EXPECT_EQ(marks(), (Marks{"", " x", " x", " x", ""}));
    EXPECT_EQ(browse.markCountCaption, "3");
    space({2, 3, 4});
    EXPECT_EQ(marks(), (Marks{"", "", "", "", ""}));
    EXPECT_EQ(browse.markCountCaption, "0");
}

TEST_F(Marking, AMixedSelectionIsMarkedWhole) {
    list().setCell(3, 13, " x");
    space({2, 3, 4});
    EXPECT_EQ(marks(), (Marks{"", " x", " x", " x", ""}));
    // "x" without its blank is not a mark.
    list().setCell(1, 13, "x");
    space({1});
    EXPECT_EQ(marks()[0], " x");
}

// Rows appended to a list whose marks were counted bring their own marks; a deletion afterwards
// subtracts what it takes from that count, without counting the list again.
TEST_F(Marking, AnAppendKeepsTheCountAndADeletionAfterItSubtractsFromIt) {
    BitBtn_tout_decocherClick(program, browse);
    EXPECT_TRUE(listMarksKnown(program, browse)) << "every mark taken away: the list's count is 0";
    space({2, 3});
    ASSERT_EQ(browse.markCountCaption, "2");
    GlobalList staged;
    staged.appendRow(
        {"6", "FILMS", "vidéo", "nouveau", ".avi", "", ":\\films", "", "", "", "", "", "", " x"});
    staged.appendRow({"7", "FILMS", "vidéo", "autre", ".avi", "", ":\\films", "", "", "", "", "", "", ""});
    appendListRows(program.globalList, std::move(staged), 2, false);
    EXPECT_EQ(browse.markCountCaption, "3");
    EXPECT_TRUE(listMarksKnown(program, browse));
    // A count made up from then on would stay wrong: the deletion must see the appended mark.
    keepListRows(program.globalList, 1, {true, false, true, true, true, true, true, true});
    EXPECT_EQ(browse.markCountCaption, "3");
    keepListRows(program.globalList, 1, {true, true, true, true, true, false, true});
    EXPECT_EQ(browse.markCountCaption, "2");
    CountMarks(program, browse);
    EXPECT_EQ(browse.markCountCaption, "2");
}

TEST_F(Marking, SpaceInBasicModeChangesNothing) {
    const KeyOutcome out = space({1, 2, 3, 4, 5}, false);
    EXPECT_TRUE(out.swallowed);
    EXPECT_FALSE(out.currentRow);
    EXPECT_EQ(out.scroll, ScrollRequest::None);
    EXPECT_EQ(marks(), (Marks{"", "", "", "", ""}));
    EXPECT_EQ(browse.markCountCaption, "nb");
}

TEST_F(Marking, AllButtonsCoverBothTablesAndCountTheVisibleOne) {
    ASSERT_TRUE(Button_rechercherClick(program, browse, "impair"));
    BitBtn_tout_cocherClick(program, browse);
    EXPECT_EQ(marks(), (Marks{" x", " x", " x", " x", " x"}));
    EXPECT_EQ(marks(browse.filter), (Marks{" x", " x", " x"}));
    EXPECT_EQ(browse.markCountCaption, "3");
    Button_init_filtreClick(browse);
    CountMarks(program, browse);
    EXPECT_EQ(browse.markCountCaption, "5");
    BitBtn_tout_decocherClick(program, browse);
    EXPECT_EQ(marks(), (Marks{"", "", "", "", ""}));
    EXPECT_EQ(browse.filter.rowCount(), 1u); // the result went with the search
    EXPECT_EQ(browse.markCountCaption, "0");
}

TEST_F(Marking, SelectionButtonWorksOnTheVisibleTable) {
    ASSERT_TRUE(Button_rechercherClick(program, browse, "pair"));
    BitBtn_coche_selectionClick(program, browse, {2, 3});
    EXPECT_EQ(marks(browse.filter), (Marks{"", " x", " x", "", ""}));
    EXPECT_EQ(marks(), (Marks{"", "", "", "", ""})); // the result keeps marks of its own
    EXPECT_EQ(browse.markCountCaption, "2");
}

TEST_F(Marking, SpaceAndTheSelectionButtonTouchTheHighlightedRowsOnly) {
    space({2, 5});
    EXPECT_EQ(marks(), (Marks{"", " x", "", "", " x"}));
    EXPECT_EQ(browse.markCountCaption, "2");
    space({5, 2});
    EXPECT_EQ(marks(), (Marks{"", "", "", "", ""}));
    // Nothing highlighted, nothing marked.
    space({});
    BitBtn_coche_selectionClick(program, browse, {});
    EXPECT_EQ(marks(), (Marks{"", "", "", "", ""}));
    list().setCell(1, 13, " x");
    BitBtn_coche_selectionClick(program, browse, {1, 3, 4});
    EXPECT_EQ(marks(), (Marks{" x", "", " x", " x", ""}));
    EXPECT_EQ(browse.markCountCaption, "3");
}

TEST_F(Marking, CountFindsTheMarkColumnWhereverItIs) {
    list().setCell(2, 13, " x");
    EXPECT_EQ(countMarkedRows(list()), 1u);
    // A list whose " x" column stands elsewhere.
    list().setCell(0, 12, " x");
    list().setCell(0, 13, "total");
    list().setCell(4, 12, " x");
    EXPECT_EQ(countMarkedRows(list()), 1u);
    list().setCell(0, 12, "libre");
    EXPECT_EQ(countMarkedRows(list()), 0u);
}

class Keys : public ::testing::Test {
protected:
    KeyboardState state;
    GridKeyContext context;
    RowRange selection; // as the table shows it after each key
    Keys() {
        context.rowCount = 21; // rows 1 to 20
        context.visibleRows = 6;
        context.currentRow = 5;
        state.CursorRow = 5;
    }
    // Presses a key and lets the table follow the outcome, as the window would.
    KeyOutcome press(int key, bool shift = false, bool ctrl = false) {
        KeyOutcome out = gridKeyStep(state, {key, shift, ctrl}, context);
        if (out.currentRow) context.currentRow = *out.currentRow;
        if (out.selection) selection = *out.selection;
        return out;
    }
};

TEST_F(Keys, ShiftDownExtendsThenAPlainDownStartsAgain) {
    press(kKeyDown, true);
    press(kKeyDown, true);
    const KeyOutcome out = press(kKeyDown, true);
    EXPECT_EQ(selection, (RowRange{5, 8}));
    EXPECT_EQ(out.scroll, ScrollRequest::EnsureVisible);
    press(kKeyDown);
    EXPECT_EQ(context.currentRow, 9u);
    EXPECT_EQ(selection, (RowRange{9, 9}));
    EXPECT_EQ(state.AnchorRow, 9u);
}

TEST_F(Keys, ShiftUpSelectsAboveTheAnchor) {
    press(kKeyUp, true);
    press(kKeyUp, true);
    EXPECT_EQ(selection, (RowRange{3, 5}));
    press(kKeyDown, true);
    EXPECT_EQ(selection, (RowRange{4, 5}));
}

TEST_F(Keys, ArrowsStopAtTheFirstAndLastRows) {
    state.CursorRow = context.currentRow = 1;
    press(kKeyUp);
    EXPECT_EQ(context.currentRow, 1u);
    state.CursorRow = context.currentRow = 20;
    press(kKeyDown);
    EXPECT_EQ(context.currentRow, 20u);
    // The cursor starts at 0 in a new window: Up does not reach the header row.
    state.CursorRow = 0;
    press(kKeyUp);
    EXPECT_EQ(context.currentRow, 1u);
}

TEST_F(Keys, PagesMoveByTheVisibleRowsLessOne) {
    KeyOutcome out = press(kKeyPageDown);
    EXPECT_EQ(context.currentRow, 10u);
    EXPECT_EQ(out.scroll, ScrollRequest::EnsureVisible);
    press(kKeyPageDown);
    press(kKeyPageDown);
    EXPECT_EQ(context.currentRow, 20u);
    press(kKeyPageUp);
    EXPECT_EQ(context.currentRow, 15u);
    state.CursorRow = 3;
    press(kKeyPageUp);
    EXPECT_EQ(context.currentRow, 1u);
    context.visibleRows = 1; // a page of at least one row
    press(kKeyPageDown);
    EXPECT_EQ(context.currentRow, 2u);
}

TEST_F(Keys, ShiftPagesSelectAndScroll) {
    KeyOutcome out = press(kKeyPageDown, true);
    EXPECT_EQ(selection, (RowRange{5, 10}));
    EXPECT_EQ(out.scroll, ScrollRequest::ToTop);
    EXPECT_EQ(out.scrollRow, 10u);
    out = press(kKeyPageUp, true);
    out = press(kKeyPageUp, true);
    EXPECT_EQ(selection, (RowRange{1, 5}));
    EXPECT_EQ(out.scroll, ScrollRequest::EnsureVisible);
    EXPECT_EQ(out.scrollRow, 1u);
}

TEST_F(Keys, CtrlHomeEndAndTheirShiftSelections) {
    press(kKeyEnd, false, true);
    EXPECT_EQ(context.currentRow, 20u);
    EXPECT_EQ(selection, (RowRange{20, 20}));
    press(kKeyUp); // continues from the row now current
    EXPECT_EQ(context.currentRow, 19u);
    press(kKeyHome, true, true);
    EXPECT_EQ(selection, (RowRange{1, 19}));
    EXPECT_EQ(context.currentRow, 1u);

    const KeyOutcome plain = press(kKeyHome);
    EXPECT_TRUE(plain.swallowed);
    EXPECT_FALSE(plain.currentRow);
}

TEST_F(Keys, CtrlASelectsTheDataRowsOnly) {
    KeyOutcome out = press(kKeyA, false, true);
    EXPECT_EQ(selection, (RowRange{1, 20}));
    EXPECT_FALSE(out.currentRow);
    out = press(kKeyA);
    EXPECT_TRUE(out.swallowed);
    EXPECT_FALSE(out.selection);
}

TEST_F(Keys, OtherKeysAndOtherControlsPassOn) {
    EXPECT_FALSE(press(37).swallowed); // Left
    EXPECT_FALSE(press(66).swallowed); // B
    context.gridActive = false;
    state.AnchorRow = 7;
    const KeyOutcome out = press(kKeyDown, true);
    EXPECT_FALSE(out.swallowed);
    EXPECT_FALSE(out.currentRow);
    EXPECT_EQ(state.AnchorRow, 7u);
}

TEST_F(Keys, ACursorPastAShortenedTableComesBack) {
    state.CursorRow = 50;
    context.currentRow = 20;
    press(kKeyUp);
    EXPECT_EQ(context.currentRow, 19u);
}

// The row the arrows go on from after a click, a sort, "début" and "fin", on a list of 21 rows.
class KeysAfterClicks : public ::testing::Test, public BrowseFixture {
protected:
    KeysAfterClicks() {
        for (int i = 1; i <= 21; ++i) addTitle("t" + std::to_string(i));
        context.rowCount = list().rowCount();
        context.visibleRows = 10;
    }
    void click(std::size_t row, bool shift = false) {
        StringGrid1Click(program, browse, ui, row, shift);
        context.currentRow = row;
    }
    RowRange press(int key, bool shift = false) {
        const KeyOutcome out = gridKeyStep(browse.keyboard, {key, shift, false}, context);
        if (out.currentRow) context.currentRow = *out.currentRow;
        return out.selection.value_or(RowRange{0, 0});
    }
    GridKeyContext context;
};

TEST_F(KeysAfterClicks, AClickMovesTheFixedEndOfAShiftSelection) {
    click(5);
    press(kKeyDown, true);
    EXPECT_EQ(press(kKeyDown, true), (RowRange{5, 7}));
    click(20);
    EXPECT_EQ(press(kKeyDown, true), (RowRange{20, 21}));
    // Shift+click keeps the fixed end: Shift+Up goes on from there.
    click(12);
    click(15, true);
    EXPECT_EQ(press(kKeyUp, true), (RowRange{12, 14}));
}

TEST_F(KeysAfterClicks, ASortOfTheListStartsTheArrowsAtItsTop) {
    click(9);
    sortOnHeader(program, browse, ui, Grid::Full, 3);
    context.currentRow = 1; // the sorted table has no current row
    EXPECT_EQ(press(kKeyDown), (RowRange{1, 1}));
    // Sorting the search result leaves the list's arrows alone.
    click(9);
    Button_rechercherClick(program, browse, "t1");
    sortOnHeader(program, browse, ui, Grid::Filter, 3);
    EXPECT_EQ(browse.keyboard.CursorRow, 9u);
}
