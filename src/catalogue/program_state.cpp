#include "catalogue/program_state.h"

#include "util/format.h"
#include "util/text.h"
#include "util/utf8.h"

#include <iterator>
#include <set>
#include <string>
#include <unordered_set>

namespace verdan {

void ProgramState::saveSettings() {
    if (captureWindowBounds) captureWindowBounds(settings);
    enreg_fic_ini(settingsPath(), settings);
}

void af_nb_media_bd(ProgramState& state) {
    const GlobalList& list = state.globalList.table;
    const std::size_t r = list.rowCount();
    state.globalListButtonCaption =
        r >= 3 ? "Liste globale des " + toText(static_cast<long long>(r - 1)) + " médias =>"
               : "Liste globale des médias =>";
    if (r == 2 && trimBlanks(list.cell(1, 0)).empty()) {
        state.globalList.mediaCountCaption = "aucun média";
    } else {
        state.globalList.mediaCountCaption = toText(static_cast<long long>(r == 0 ? 0 : r - 1)) + " médias";
    }
    state.globalList.listFileCaption = state.catalogue.paths.ListName;
}

std::string diskEntry(const GlobalList& list, std::size_t row) {
    const int name = list.indice_col_liste("nom-disque");
    const int serial = list.indice_col_liste("NS-disque");
    std::string entry(name >= 0 ? list.cell(row, name) : std::string_view());
    entry += "-";
    if (serial >= 0) entry += list.cell(row, serial);
    return entry;
}

void extraire_hd_liste_globale(GlobalListState& globalList) {
    globalList.disks.clear();
    const GlobalList& list = globalList.table;
    const int name = list.indice_col_liste("nom-disque");
    const int serial = list.indice_col_liste("NS-disque");
    DiskListBuilder disks(globalList.disks);
    for (std::size_t row = 1; row < list.rowCount(); ++row)
        disks.add(list.cell(row, name), list.cell(row, serial));
    markDisksCurrent(globalList);
}

void DiskListBuilder::add(std::string_view name, std::string_view serial) {
    m_entry.assign(name);
    m_entry += "-";
    m_entry.append(serial);
    // A disk's rows mostly follow each other: the row above settles most rows without hashing.
    if (m_entry == m_previous) return;
    m_previous = m_entry;
    if (m_entry == "-" || m_spellings.count(m_entry)) return;
    m_spellings.insert(m_entry);
    if (m_seen.insert(m_entry).second) m_disks.push_back(m_entry);
}

namespace {

GlobalListState::DisksSource sourceNow(const GlobalListState& globalList) {
    const GlobalList& list = globalList.table;
    GlobalListState::DisksSource source;
    source.known = true;
    source.nameCol = list.indice_col_liste("nom-disque");
    source.serialCol = list.indice_col_liste("NS-disque");
    source.rowsStamp = list.rowsStamp();
    source.nameStamp = list.columnStamp(source.nameCol);
    source.serialStamp = list.columnStamp(source.serialCol);
    return source;
}

} // namespace

bool disksCurrent(const GlobalListState& globalList) {
    const GlobalListState::DisksSource& was = globalList.disksSource;
    const GlobalListState::DisksSource now = sourceNow(globalList);
    return was.known && was.rowsStamp == now.rowsStamp && was.nameCol == now.nameCol &&
           was.serialCol == now.serialCol && was.nameStamp == now.nameStamp &&
           was.serialStamp == now.serialStamp && was.disks == globalList.disks;
}

void markDisksCurrent(GlobalListState& globalList) {
    globalList.disksSource = sourceNow(globalList);
    globalList.disksSource.disks = globalList.disks;
}

int fontSizeOfIndex(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kFontSizes))) return 8;
    return std::stoi(kFontSizes[index]);
}

void SetAllMarks(GlobalList& list, const std::string& text) {
    const int mark = list.indice_col_liste(" x");
    if (mark >= 0) list.setColumn(mark, text);
}

} // namespace verdan
