#include "collect/add_media.h"

#include "collect/collection_state.h"
#include "collect/scan.h"
#include "collect/shared_run.h"
#include "collect/staged_rows.h"
#include "platform/system.h"
#include "util/format.h"

#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace verdan {

namespace {

std::string count(std::size_t n) {
    return toText(static_cast<long long>(n));
}

// What is asked and checked before anything changes; false stops the adding.
bool mayAdd(const GlobalList& list, const CollectionState& state, Ui& ui) {
    if (scanLocked(state)) {
        ui.ask(DialogType::Information, " Le listage n'est pas encore terminé ", {DialogButton::Yes});
        return false;
    }
    if (!state.drives.hasDriveRows() || state.found.empty()) return false;
    const std::size_t n = state.found.size();
    const std::size_t m = list.mediaCount();
    const std::string question =
        m > 0 ? " Rajouter ces " + count(n) + " médias à la liste globale des " + count(m) + " médias ?"
              : " Rajouter ces " + count(n) + " médias à la liste globale vide ?";
    return ui.ask(DialogType::Confirmation, question, {DialogButton::Yes, DialogButton::No}) ==
           DialogButton::Yes;
}

// The disk list is rebuilt from the rows already there while the new rows are made, unless it
// was made from the table as it is; a rebuild that fails here is done again by the append.
class DiskListBeside {
public:
    explicit DiskListBeside(GlobalListState& globalList) {
        if (disksCurrent(globalList)) return;
        try {
            m_thread.emplace([&globalList] {
                try {
                    extraire_hd_liste_globale(globalList);
                } catch (...) {
                }
            });
        } catch (const std::system_error&) {
        }
    }

private:
    std::optional<JoinedThread> m_thread;
};

// The found list's lines, blank ones aside.
std::vector<std::string_view> foundLines(const FoundList& found) {
    std::vector<std::string_view> lines;
    lines.reserve(found.size());
    for (const std::string& line : found)
        if (!line.empty()) lines.emplace_back(line);
    return lines;
}

// The window behind the report already shows the new counts, and no hourglass hangs over it.
void report(ProgramState& program, std::size_t found, std::size_t added, BusyScope& busy, Ui& ui) {
    GlobalListState& globalList = program.globalList;
    af_nb_media_bd(program);
    globalList.index.keyCountCaption = labelNIdxText(globalList.keys.size());
    globalList.index.collectionKeyCountCaption = globalList.index.keyCountCaption;
    busy.release();

    const std::size_t now = globalList.table.mediaCount();
    std::string text;
    if (added == 0) {
        text = "  Inutile , \n\n  ces " + count(found) + " médias sont déjà indexés    \n\n" + " parmi les " +
               count(now) + " de la liste globale";
    } else if (added == now) {
        text = " la liste globale contient maintenant ces " + count(added) + " premièrs médias \n\n";
    } else {
        // Appended piece by piece: GCC 12 at -O3 warns wrongly on a literal put before a temporary.
        text = " ";
        text += count(added);
        text += "  médias rajoutés à la liste globale \n\n  ce qui fait un total de ";
        text += count(now);
    }
    ui.ask(DialogType::Information, text, {DialogButton::Yes});
}

} // namespace

AddOutcome BitBtn_rajout_bdClick(ProgramState& program, CollectionState& state,
                                 platform::DriveProvider& provider, Ui& ui) {
    AddOutcome outcome;
    GlobalListState& globalList = program.globalList;
    if (!mayAdd(globalList.table, state, ui)) return outcome;
    StagingInput input;
    input.driveText = state.drives.cell(state.drives.currentRow(), 0);
    input.disk = QueryDisk(provider, input.driveText);
    if (!input.disk.ok) return outcome;
    input.level = program.catalogue.params.indexLevel;
    input.media = program.catalogue.params.media;
    input.decimalSeparator = platform::decimalSeparator();

    BusyScope busy(ui);
    globalList.table.ListModified = true;
    outcome.changed = true;
    StagedRows staged = [&] {
        const DiskListBeside disks(globalList);
        return stageNewRows(foundLines(state.found), input, NewRowLayout::of(globalList.table),
                            globalList.keys);
    }();
    outcome.added = staged.size();
    outcome.lastRow = appendStagedRows(globalList, std::move(staged));
    report(program, state.found.size(), outcome.added, busy, ui);
    return outcome;
}

} // namespace verdan
