#pragma once
#include "catalogue/program_state.h"
#include "util/ui.h"

namespace verdan {

struct CollectionState;

// CheckBox1Click: ticked unlocks the level and the re-indexing, unticked locks them.
void CheckBox1Click(CollectionState& state, bool ticked);
// RadioGroup_indexClick: the level of every key computed from now on; the group locks itself.
// The parameter file is behind until it is written (at the latest when quitting).
void RadioGroup_indexClick(ProgramState& program, CollectionState& state, int item);
// BitBtn_reinitClick: the re-indexing with its questions at the level chosen, then the controls
// lock again. Rows removed leave the list to be saved.
ReindexOutcome BitBtn_reinitClick(ProgramState& program, CollectionState& state, Ui& ui);

} // namespace verdan
