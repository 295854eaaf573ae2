#include "browse/deletion.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "browse/marks.h"
#include "browse/search.h"
#include "catalogue/list_edits.h"
#include "util/dialogs.h"
#include "util/format.h"

namespace verdan {
namespace {

std::string count(std::size_t n) {
    return toText(static_cast<long long>(n));
}

bool isEmptyList(const GlobalList& list) {
    return list.rowCount() < 2 || (list.rowCount() == 2 && list.isBlankRow(1));
}

// Whether "name-serial" is the entry of these two cells, without building it.
bool isEntry(std::string_view entry, std::string_view name, std::string_view serial) {
    return entry.size() == name.size() + 1 + serial.size() && entry.compare(0, name.size(), name) == 0 &&
           entry[name.size()] == '-' && entry.compare(name.size() + 1, serial.size(), serial) == 0;
}

} // namespace

std::optional<GridPosition> Button_delClick(ProgramState& program, BrowseState& browse, Ui& ui,
                                            const RowSet& selected, std::size_t topVisibleRow) {
    GlobalList& list = program.globalList.table;
    if (isEmptyList(list)) {
        ui.showInfo(" rien à effacer...");
        return std::nullopt;
    }
    const RowSet rows = listRowsOf(program, browse, selected);
    if (rows.empty()) {
        ui.showInfo(" aucun média sélectionné");
        return std::nullopt;
    }
    const std::size_t n = rows.size();
    const std::string question = n == 1 ? " Effacer le média sélectionné  ?"
                                        : " Effacer les " + count(n) + " médias sélectionnés de la liste ?";
    if (!confirm(ui, question)) return std::nullopt;

    // The list's observers (the search result, the mark counter) follow the rows removed.
    const int level = program.catalogue.params.indexLevel;
    const bool emptied = n == 1 && list.rowCount() == 2;
    if (emptied) {
        blankOnlyListRow(program.globalList, level);
    } else {
        removeListRows(program.globalList, level, rows);
    }
    list.ListModified = true;
    af_nb_media_bd(program);

    std::optional<GridPosition> position;
    if (browse.filterShown) {
        const std::size_t results = browse.filter.rowCount() - 1;
        std::size_t first = SIZE_MAX;
        for (std::size_t r : selected)
            if (r >= 1) first = std::min(first, r);
        if (results > 0) {
            position =
                GridPosition{std::min(first, results), std::clamp<std::size_t>(topVisibleRow, 1, results)};
            browse.filter.selectRow(position->currentRow);
        }
    } else if (!emptied) {
        const std::size_t newLast = list.rowCount() - 1;
        position =
            GridPosition{std::min(rows.front(), newLast), std::clamp<std::size_t>(topVisibleRow, 1, newLast)};
        list.selectRow(position->currentRow);
        browse.keyboard.restartAt(position->currentRow);
    }
    return position;
}

void ListBox_hd_referencerClick(const ProgramState& program, BrowseState& browse, std::size_t index) {
    const std::vector<std::string>& disks = program.globalList.disks;
    if (index < disks.size()) browse.chosenDiskCaption = disks[index];
}

std::size_t Button_effacer_liste_un_hdClick(ProgramState& program, BrowseState& browse, Ui& ui) {
    GlobalList& list = program.globalList.table;
    const std::string entry = browse.chosenDiskCaption;
    const int nameCol = list.indice_col_liste("nom-disque");
    const int serialCol = list.indice_col_liste("NS-disque");
    std::vector<std::size_t> removed;
    for (std::size_t r = 1; r < list.rowCount(); ++r)
        if (isEntry(entry, list.cell(r, nameCol), list.cell(r, serialCol))) removed.push_back(r);
    const std::size_t n = removed.size();
    if (!confirm(ui,
                 " Effacer les " + count(n) + " médias de la liste et relatives au disque " + entry + " ?"))
        return 0;
    if (n > 0) {
        removeListRows(program.globalList, program.catalogue.params.indexLevel, removed);
    } else {
        indexAfterRemoval(list, program.globalList.keys, program.catalogue.params.indexLevel, true,
                          program.globalList.index);
        CountMarks(program, browse);
    }
    browse.keyboard.restartAt(0);
    af_nb_media_bd(program);
    ui.showInfo(count(n) + " médias effacés de la liste et relatives au disque " + entry);
    list.ListModified = true;
    return n;
}

} // namespace verdan
