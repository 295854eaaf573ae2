#pragma once
#include <cstddef>
#include <functional>
#include <string>

#include "browse/batch_copy.h"
#include "browse/browse_state.h"
#include "browse/copy_progress.h"
#include "catalogue/drive_lookup.h"
#include "util/ui.h"

namespace verdan {

// "Copier vers les favoris" of the context panel, once the row's file is known to be there.
void copyOneToFavourites(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view,
                         const std::string& source);

// "Copier vers les favoris" of the context panel: the checks of the current row, then its copy.
void BitBtn_copie_un_par_unClick(ProgramState& program, BrowseState& browse, Ui& ui, Shell& shell,
                                 CopyView& view, const DriveRows& drives, std::size_t current);

// "Copie multiple (x)": every marked row of the visible table into the favourites folder.
// `selection` is what is highlighted in that table, marked when nothing is marked and the user
// asks for it. `drives` are the drives at the click; `recheckDrives`, when given, tells which are
// there now, asked when a file of a present disk cannot be found or read: an unplugged disk's
// files join the retrieval plan instead of ending the copy.
void Button_copie_multipleClick(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view,
                                const DriveRows& drives, const RowSet& selection,
                                const std::function<DriveRows()>& recheckDrives = {});

// "Annuler" of the progress panel (and Escape): the copy stops after its current block.
void BitBtn3Click(ProgramState& program);

// The favourites folder's list of missing sources, as the multiple copy writes it.
inline constexpr const char* kMissingSourcesFile = "fichiers_inexistants.txt";

} // namespace verdan
