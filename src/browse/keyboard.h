#pragma once
#include <cstddef>
#include <optional>

#include "browse/browse_state.h"

namespace verdan {

// Virtual key codes the table reacts to.
enum GridKey : int {
    kKeySpace = 32,
    kKeyPageUp = 33,
    kKeyPageDown = 34,
    kKeyEnd = 35,
    kKeyHome = 36,
    kKeyUp = 38,
    kKeyDown = 40,
    kKeyA = 65,
};

struct KeyPress {
    int key = 0;
    bool shift = false;
    bool ctrl = false;
};

// What the window knows of StringGrid1 when a key is pressed.
struct GridKeyContext {
    bool gridActive = true; // the window's active control is a table
    std::size_t currentRow = 1;
    std::size_t rowCount = 2; // header row included
    int visibleRows = 1;
    RowSet selection; // the rows highlighted now
    bool advancedMode = true;
};

enum class ScrollRequest { None, EnsureVisible, ToTop };

// What the window does after a key: nothing is set that is not asked for.
struct KeyOutcome {
    bool swallowed = false;
    std::optional<std::size_t> currentRow;
    std::optional<RowRange> selection; // all columns of these rows
    ScrollRequest scroll = ScrollRequest::None;
    std::size_t scrollRow = 0;
    bool toggleMarks = false; // the space bar's rule on context.selection
};

// The table's keyboard handling as a state machine over `state`; no table is touched.
KeyOutcome gridKeyStep(KeyboardState& state, const KeyPress& key, const GridKeyContext& context);

// StringGrid1KeyDown: the step, then the space bar's marking of the selection and the count.
KeyOutcome StringGrid1KeyDown(ProgramState& program, BrowseState& browse, const KeyPress& key,
                              const GridKeyContext& context);

} // namespace verdan
