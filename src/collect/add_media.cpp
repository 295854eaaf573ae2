#include "collect/add_media.h"

#include "collect/collection_state.h"
#include "collect/disk_refresh.h"
#include "collect/disk_rows.h"
#include "collect/scan.h"
#include "collect/staged_rows.h"
#include "platform/system.h"
#include "util/dialogs.h"
#include "util/format.h"
#include "util/shared_run.h"
#include "util/utf8.h"

#include <algorithm>
#include <array>
#include <cstdint>
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

// The media count and the key count after rows came.
void showCounts(ProgramState& program) {
    IndexState& index = program.globalList.index;
    af_nb_media_bd(program);
    index.keyCountCaption = labelNIdxText(program.globalList.keys.size());
    index.collectionKeyCountCaption = index.keyCountCaption;
}

// The window behind the report already shows the new counts, and no hourglass hangs over it.
void report(ProgramState& program, std::size_t found, std::size_t added, BusyScope& busy, Ui& ui) {
    GlobalListState& globalList = program.globalList;
    showCounts(program);
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

namespace {

constexpr int kRefreshButtonWidth = 150;

// What every row of an adding from the drive grid's current row shares; `disk.ok` false when the
// drive cannot be queried.
StagingInput stagingInput(const ProgramState& program, const CollectionState& state,
                          platform::DriveProvider& provider) {
    StagingInput input;
    input.driveText = state.drives.cell(state.drives.currentRow(), 0);
    input.disk = QueryDisk(provider, input.driveText);
    input.level = program.catalogue.params.indexLevel;
    input.media = program.catalogue.params.media;
    input.decimalSeparator = platform::decimalSeparator();
    return input;
}

// Appends the found list's files whose key is not known and reports it.
AddOutcome addFoundLines(ProgramState& program, CollectionState& state, const StagingInput& input, Ui& ui) {
    AddOutcome outcome;
    GlobalListState& globalList = program.globalList;
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

} // namespace

AddOutcome BitBtn_rajout_bdClick(ProgramState& program, CollectionState& state,
                                 platform::DriveProvider& provider, Ui& ui) {
    if (!mayAdd(program.globalList.table, state, ui)) return {};
    const StagingInput input = stagingInput(program, state, provider);
    if (!input.disk.ok) return {};
    return addFoundLines(program, state, input, ui);
}

bool refreshOffered(const ProgramState& program, CollectionState& state) {
    if (!state.scannedDisk || scanLocked(state) || !state.drives.hasDriveRows()) return false;
    ScannedDisk& scan = *state.scannedDisk;
    if (!scan.disk.ok || scan.disk.serial == "-") return false;
    const GlobalList& table = program.globalList.table;
    const std::array<std::uint64_t, 3> stamps{table.rowsStamp(),
                                              table.columnStamp(table.indice_col_liste("nom-disque")),
                                              table.columnStamp(table.indice_col_liste("NS-disque"))};
    if (!scan.listSeen || *scan.listSeen != stamps) {
        // The disk list, when it is the table's, answers without reading a million rows.
        const GlobalListState& globalList = program.globalList;
        const std::string entry = scan.disk.label + "-" + scan.disk.serial;
        scan.hasRows =
            disksCurrent(globalList)
                ? std::any_of(globalList.disks.begin(), globalList.disks.end(),
                              [&](const std::string& d) { return utf8::compareFolded(d, entry) == 0; })
                : diskHasRows(table, scan.disk);
        scan.listSeen = stamps;
    }
    return scan.hasRows;
}

RefreshOutcome BitBtn_maj_disqueClick(ProgramState& program, CollectionState& state,
                                      platform::DriveProvider& provider, Ui& ui) {
    RefreshOutcome outcome;
    if (scanLocked(state)) {
        ui.ask(DialogType::Information, " Le listage n'est pas encore terminé ", {DialogButton::Yes});
        return outcome;
    }
    if (!state.scannedDisk || !state.drives.hasDriveRows()) return outcome;
    const ScannedDisk& scan = *state.scannedDisk;
    const StagingInput input = stagingInput(program, state, provider);
    if (!input.disk.ok || input.disk.serial == "-") return outcome;
    // Only the disk that was scanned is compared with its scan: the same name with another serial
    // is another disk.
    if (input.driveText != scan.driveRoot || input.disk.label != scan.disk.label ||
        input.disk.serial != scan.disk.serial) {
        ShowInfo(ui, " Ce n'est plus le disque listé : relancer 3- lister...");
        return outcome;
    }
    GlobalListState& globalList = program.globalList;
    RefreshPlan plan = [&] {
        const BusyScope busy(ui);
        // What the scan did not read of the list while it ran.
        if (scan.rows) scan.rows->finish();
        return planDiskRefresh(globalList.table, globalList.keys, scan, state.found, input);
    }();
    const RefreshQuestion question = refreshQuestion(globalList.table, scan, plan);
    if (plan.changesNothing()) {
        ui.ask(DialogType::Information, question.unchanged, {DialogButton::Yes});
        return outcome;
    }
    const int choice = ui.askThreeChoicesWithDetails(question.text, question.details, "Oui",
                                                     "Nouveaux seulement", "Annuler", kRefreshButtonWidth);
    if (choice == 1) {
        const AddOutcome added = addFoundLines(program, state, input, ui);
        outcome.changed = added.changed;
        outcome.added = added.added;
        return outcome;
    }
    if (choice != 0) return outcome;

    BusyScope busy(ui);
    globalList.table.ListModified = true;
    outcome.changed = true;
    const RefreshApplied applied = applyDiskRefresh(globalList, scan, plan, input);
    outcome.added = applied.added;
    outcome.removed = applied.removed;
    outcome.updated = applied.updated;
    showCounts(program);
    busy.release();
    ui.ask(DialogType::Information,
           "  Disque " + scan.disk.label + " mis à jour : " + count(applied.added) + " rajoutés, " +
               count(applied.removed) + " effacés, " + count(plan.moved.size()) + " déplacés ou renommés, " +
               count(plan.modified.size()) + " modifiés \n\n  ce qui fait un total de " +
               count(globalList.table.mediaCount()),
           {DialogButton::Yes});
    return outcome;
}

} // namespace verdan
