#pragma once
#include <cstddef>
#include <optional>

#include "browse/browse_state.h"
#include "util/ui.h"

namespace verdan {

// Where StringGrid1 stands after rows were deleted.
struct GridPosition {
    std::size_t currentRow = 1;
    std::size_t topVisibleRow = 1;
    bool operator==(const GridPosition&) const = default;
};

// "Effacer (supp)": deletes exactly the rows highlighted in the visible table (`selected`, rows of
// that table; in the search result, the rows of the global list they were copied from) after the
// user's confirmation, then rebuilds the key set; nothing highlighted deletes nothing and says so.
// Returns where the visible table stands when rows were removed: its first highlighted row is
// current and the row that was at the top stays there, each the last row when the table is now
// shorter. The arrow keys go on from the row made current.
std::optional<GridPosition> Button_delClick(ProgramState& program, BrowseState& browse, Ui& ui,
                                            const RowSet& selected, std::size_t topVisibleRow);

// A click in the disk list: the entry becomes the chosen disk.
void ListBox_hd_referencerClick(const ProgramState& program, BrowseState& browse, std::size_t index);

// Deletes every row whose disk entry ("nom-disque" + "-" + "NS-disque") equals the chosen one
// exactly, after the user's confirmation, compacting the table once. Returns the rows deleted; the
// table then shows no selection and the arrow keys start again from its top.
std::size_t Button_effacer_liste_un_hdClick(ProgramState& program, BrowseState& browse, Ui& ui);

} // namespace verdan
