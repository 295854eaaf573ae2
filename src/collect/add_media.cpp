#include "collect/add_media.h"

#include "collect/collection_state.h"
#include "collect/scan.h"
#include "collect/shared_run.h"
#include "platform/files.h"
#include "platform/system.h"
#include "util/cp1252.h"
#include "util/format.h"
#include "util/text.h"
#include "util/utf8.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace verdan {

namespace {

// Lines made at once: the values of a chunk are computed side by side, then taken in order.
constexpr std::size_t kChunkLines = 8192;
constexpr std::size_t kPrefetchAhead = 8;

struct PendingRow {
    NewRowValues values;
    KeySet::Hash hash{};
};

// The disk list takes an entry unless it is "-" or already there, letter case ignored.
void addDiskEntry(std::vector<std::string>& disks, std::string entry) {
    if (entry == "-") return;
    for (const std::string& known : disks)
        if (utf8::compareFolded(known, entry) == 0) return;
    disks.push_back(std::move(entry));
}

std::string count(std::size_t n) {
    return toText(static_cast<long long>(n));
}

} // namespace

AddOutcome BitBtn_rajout_bdClick(ProgramState& program, CollectionState& state,
                                 platform::DriveProvider& provider, Ui& ui) {
    AddOutcome outcome;
    if (scanLocked(state)) {
        ui.ask(DialogType::Information, " Le listage n'est pas encore terminé ", {DialogButton::Yes});
        return outcome;
    }
    if (!state.drives.hasDriveRows() || state.found.empty()) return outcome;

    GlobalListState& globalList = program.globalList;
    GlobalList& list = globalList.table;
    const std::size_t n = state.found.size();
    const std::size_t m = list.mediaCount();
    const std::string question =
        m > 0 ? " Rajouter ces " + count(n) + " médias à la liste globale des " + count(m) + " médias ?"
              : " Rajouter ces " + count(n) + " médias à la liste globale vide ?";
    if (ui.ask(DialogType::Confirmation, question, {DialogButton::Yes, DialogButton::No}) !=
        DialogButton::Yes)
        return outcome;

    const std::string driveText = state.drives.cell(state.drives.currentRow(), 0);
    const DiskIdentity disk = QueryDisk(provider, driveText);
    if (!disk.ok) return outcome;

    BusyScope busy(ui);
    list.ListModified = true;
    outcome.changed = true;
    // Only a row with nothing in it goes: a real row whose "n" cell happens to be empty stays.
    const bool replaceBlank = list.rowCount() == 2 && list.isEmptyRow(1);
    const std::size_t firstRow = replaceBlank ? 1 : list.rowCount();

    enum Cell {
        N,
        Disque,
        Media,
        Titre,
        Ext,
        Date,
        Repertoire,
        Taille,
        Drive,
        Type,
        Ns,
        Libre,
        Total,
        kCells
    };
    static constexpr const char* kHeaders[kCells] = {
        "n",      "nom-disque", "média",       "titre",     "ext",   "date", "répertoire",
        "taille", "drive",      "type-disque", "NS-disque", "libre", "total"};
    std::array<int, kCells> column{};
    for (int c = 0; c < kCells; ++c) column[static_cast<std::size_t>(c)] = list.indice_col_liste(kHeaders[c]);

    // What reaches a row from the system is cut to what the catalogue file can keep.
    const std::string separator = cp1252::storable(platform::decimalSeparator());
    const NewRowMaker makeRow(disk, driveText, program.catalogue.params.indexLevel,
                              program.catalogue.params.media, separator);
    const std::string drive = cp1252::storable(driveCell(driveText));
    const std::string libre = FormatTaille(disk.freeBytes, separator),
                      total = FormatTaille(disk.totalBytes, separator);

    // The disk list is rebuilt from the rows already there while the new rows are made, unless
    // it was made from the table as it is: the new rows all name one disk, which joins the list
    // at the end unless it is there already.
    std::optional<JoinedThread> diskList;
    bool disksGathered = disksCurrent(globalList);
    if (!disksGathered) {
        try {
            diskList.emplace([&globalList, &disksGathered] {
                try {
                    extraire_hd_liste_globale(globalList);
                    disksGathered = true;
                } catch (...) {
                    // Rebuilt below, after the rows, when this fails.
                }
            });
        } catch (const std::system_error&) {
        }
    }

    std::vector<const std::string*> lines;
    lines.reserve(state.found.size());
    for (const std::string& line : state.found)
        if (!line.empty()) lines.push_back(&line);

    // The new rows gather in a table of their own and join the list in one move, so that the
    // list and its view hear of one insertion, not of one per row.
    GlobalList staged;
    std::array<std::string_view, kListColumns> cells{};
    // The values of the next lines are made on helper threads while the caller takes the current
    // ones in order: looking each file's size up again is most of the work.
    const std::size_t helpers = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 2, 4) - 1;
    // Neighbouring lines often name files of one folder, which each thread keeps open for the
    // lines it takes next.
    const auto sizes = std::make_unique<platform::EntrySizes[]>(helpers + 1);
    auto makeChunk = [&](std::vector<PendingRow>& into, std::size_t first) {
        into.resize(std::min(kChunkLines, lines.size() - first));
        return std::make_unique<SharedRun>(
            into.size(),
            [&into, &lines, &makeRow, &sizes, first](std::size_t worker, std::size_t begin, std::size_t end) {
                for (std::size_t i = begin; i < end; ++i) {
                    into[i].values = makeRow(*lines[first + i], sizes[worker]);
                    into[i].hash = KeySet::hashOf(into[i].values.key);
                }
            },
            helpers);
    };
    std::size_t added = 0;
    try {
        std::vector<PendingRow> current, next;
        if (!lines.empty()) makeChunk(current, 0)->finish();
        for (std::size_t first = 0; first < lines.size(); first += kChunkLines) {
            std::unique_ptr<SharedRun> ahead;
            if (first + kChunkLines < lines.size()) ahead = makeChunk(next, first + kChunkLines);
            for (std::size_t i = 0; i < current.size(); ++i) {
                if (i + kPrefetchAhead < current.size())
                    globalList.keys.prefetch(current[i + kPrefetchAhead].hash);
                const NewRowValues& v = current[i].values;
                if (!globalList.keys.insert(current[i].hash)) continue;
                cells.fill({});
                auto put = [&](Cell which, std::string_view text) {
                    if (const int c = column[which]; c >= 0) cells[static_cast<std::size_t>(c)] = text;
                };
                const std::string number = PadLeftPairs(count(firstRow + added), 4);
                put(N, number);
                put(Disque, disk.label);
                put(Media, v.media);
                put(Titre, v.titre);
                put(Ext, v.ext);
                put(Date, v.date);
                put(Repertoire, v.folder);
                put(Taille, v.size);
                put(Drive, drive);
                put(Type, disk.typeText);
                put(Ns, disk.serial);
                put(Libre, libre);
                put(Total, total);
                staged.appendRow({cells[0], cells[1], cells[2], cells[3], cells[4], cells[5], cells[6],
                                  cells[7], cells[8], cells[9], cells[10], cells[11], cells[12], cells[13]});
                ++added;
            }
            if (ahead) ahead->finish();
            std::swap(current, next);
        }
    } catch (...) {
        // The keys of rows that never reached the list would keep those files out for good.
        diskList.reset();
        indexer_liste(list, globalList.keys, program.catalogue.params.indexLevel, false, globalList.index);
        throw;
    }
    diskList.reset();
    // Keys of another level than the set's make it a mix that a deletion must rebuild.
    if (globalList.keys.level() != std::clamp(program.catalogue.params.indexLevel, 0, kIndexLevels - 1))
        globalList.keys.setLevel(-1);
    if (added > 0) {
        if (replaceBlank) list.removeRows({1});
        list.appendRowsFrom(std::move(staged), 2);
        outcome.lastRow = list.rowCount() - 1;
        list.selectRow(outcome.lastRow);
    }
    if (!disksGathered) {
        extraire_hd_liste_globale(globalList);
    } else if (added > 0) {
        addDiskEntry(globalList.disks, diskEntry(list, outcome.lastRow));
        markDisksCurrent(globalList);
    }
    outcome.added = added;
    const std::size_t now = list.mediaCount();

    // The window behind the report already shows the new counts, and no hourglass hangs over it.
    af_nb_media_bd(program);
    globalList.index.keyCountCaption = labelNIdxText(globalList.keys.size());
    globalList.index.collectionKeyCountCaption = globalList.index.keyCountCaption;
    busy.release();

    std::string report;
    if (added == 0) {
        report = "  Inutile , \n\n  ces " + count(n) + " médias sont déjà indexés    \n\n" + " parmi les " +
                 count(now) + " de la liste globale";
    } else if (added == now) {
        report = " la liste globale contient maintenant ces " + count(added) + " premièrs médias \n\n";
    } else {
        // Appended piece by piece: GCC 12 at -O3 warns wrongly on a literal put before a temporary.
        report = " ";
        report += count(added);
        report += "  médias rajoutés à la liste globale \n\n  ce qui fait un total de ";
        report += count(now);
    }
    ui.ask(DialogType::Information, report, {DialogButton::Yes});
    return outcome;
}

} // namespace verdan
