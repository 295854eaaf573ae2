#pragma once
#include <cstddef>

#include "catalogue/program_state.h"
#include "collect/drive_survey.h"
#include "collect/new_row.h"
#include "platform/drives.h"
#include "util/ui.h"

namespace verdan {

struct CollectionState;

struct AddOutcome {
    bool changed = false;    // the list was touched (ListModified set), even when nothing was new
    std::size_t added = 0;   // rows appended
    std::size_t lastRow = 0; // the current row afterwards (the last one appended), 0 when none
};

// "4- rajouter dans la liste globale": appends the found list to the global list, skipping the
// files whose key is already there, with the identity of the drive grid's current row.
AddOutcome BitBtn_rajout_bdClick(ProgramState& program, CollectionState& state,
                                 platform::DriveProvider& provider, Ui& ui);

// Whether "Mettre à jour ce disque" is offered: the found list is a finished scan's, of a disk
// with rows in the list.
bool refreshOffered(const ProgramState& program, CollectionState& state);

struct RefreshOutcome {
    bool changed = false; // the list was touched (ListModified set)
    std::size_t added = 0;
    std::size_t removed = 0;
    std::size_t updated = 0; // moved, renamed or modified rows rewritten
};

// "Mettre à jour ce disque": compares the scanned folders with the disk's rows and, on the user's
// word, updates them (Oui), adds the new files only ("Nouveaux seulement") or leaves them.
RefreshOutcome BitBtn_maj_disqueClick(ProgramState& program, CollectionState& state,
                                      platform::DriveProvider& provider, Ui& ui);

} // namespace verdan
