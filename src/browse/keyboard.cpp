#include "browse/keyboard.h"

#include <algorithm>

#include "browse/marks.h"

namespace verdan {
namespace {

RowRange between(std::size_t a, std::size_t b) {
    return {std::min(a, b), std::max(a, b)};
}

} // namespace

KeyOutcome gridKeyStep(KeyboardState& state, const KeyPress& key, const GridKeyContext& context) {
    KeyOutcome out;
    if (!context.gridActive) return out;
    if (!key.shift || !state.ShiftWasDown) state.AnchorRow = context.currentRow;
    state.ShiftWasDown = key.shift;

    switch (key.key) {
    case kKeyDown:
    case kKeyUp:
    case kKeyPageDown:
    case kKeyPageUp:
    case kKeyHome:
    case kKeyEnd:
    case kKeyA:
    case kKeySpace:
        out.swallowed = true;
        break;
    default:
        return out; // the table's own handling
    }
    if (context.rowCount < 2) return out;
    const std::size_t last = context.rowCount - 1;
    const std::size_t page = static_cast<std::size_t>(std::max(1, context.visibleRows - 1));
    std::size_t& cursor = state.CursorRow;
    cursor = std::min(cursor, last);

    // Moves the cursor, then selects from it to the anchor (Shift) or the cursor's row alone.
    auto moveTo = [&](std::size_t row, ScrollRequest shiftScroll) {
        cursor = std::clamp<std::size_t>(row, 1, last);
        out.currentRow = cursor;
        out.scrollRow = cursor;
        if (key.shift) {
            out.selection = between(cursor, state.AnchorRow);
            out.scroll = shiftScroll;
        } else {
            state.AnchorRow = cursor;
            out.selection = RowRange{cursor, cursor};
            out.scroll = ScrollRequest::EnsureVisible;
        }
    };

    switch (key.key) {
    case kKeyDown:
        moveTo(cursor < last ? cursor + 1 : cursor, ScrollRequest::EnsureVisible);
        break;
    case kKeyUp:
        moveTo(cursor > 1 ? cursor - 1 : cursor, ScrollRequest::EnsureVisible);
        break;
    case kKeyPageDown:
        moveTo(std::min(cursor + page, last), ScrollRequest::ToTop);
        break;
    case kKeyPageUp:
        moveTo(cursor > page + 1 ? cursor - page : 1, ScrollRequest::EnsureVisible);
        break;
    case kKeyHome:
    case kKeyEnd:
        if (!key.ctrl) break;
        // The cursor follows, so that the next arrow continues from the row now current.
        cursor = key.key == kKeyHome ? 1 : last;
        out.currentRow = cursor;
        out.selection = key.shift ? between(state.AnchorRow, cursor) : RowRange{cursor, cursor};
        if (!key.shift) state.AnchorRow = cursor;
        out.scroll = ScrollRequest::EnsureVisible;
        out.scrollRow = cursor;
        break;
    case kKeyA:
        if (key.ctrl) out.selection = RowRange{1, last};
        break;
    case kKeySpace:
        out.toggleMarks = context.advancedMode;
        break;
    default:
        break;
    }
    return out;
}

KeyOutcome StringGrid1KeyDown(ProgramState& program, BrowseState& browse, const KeyPress& key,
                              const GridKeyContext& context) {
    KeyOutcome out = gridKeyStep(browse.keyboard, key, context);
    if (out.toggleMarks) {
        toggleMarks(program.globalList.table, context.selection);
        CountMarks(program, browse);
    }
    return out;
}

} // namespace verdan
