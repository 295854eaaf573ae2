#include "collect/index_level.h"

#include "collect/collection_state.h"

namespace verdan {

void CheckBox1Click(CollectionState& state, bool ticked) {
    state.indexControls.setProtection(ticked);
}

void RadioGroup_indexClick(ProgramState& program, CollectionState& state, int item) {
    if (item < 0 || item > 3) return;
    state.indexControls.chooseLevel(item, program.globalList.index);
    if (program.catalogue.params.indexLevel != item) {
        program.catalogue.params.indexLevel = item;
        program.catalogue.ParamsModified = true;
    }
}

ReindexOutcome BitBtn_reinitClick(ProgramState& program, CollectionState& state, Ui& ui) {
    GlobalListState& globalList = program.globalList;
    // The level is the current catalogue's, which a change of catalogue may have read from its
    // parameter file since the level was last chosen here.
    state.indexControls.itemIndex = program.catalogue.params.indexLevel;
    const ReindexOutcome outcome = state.indexControls.reinitClick(
        globalList.table, globalList.keys, globalList.index, ui, [&program] { af_nb_media_bd(program); },
        globalList.observers);
    // The cleaned table differs from the file: quitting must offer to save it, or the cleaning is
    // silently lost.
    if (outcome == ReindexOutcome::Cleaned) globalList.table.ListModified = true;
    return outcome;
}

} // namespace verdan
