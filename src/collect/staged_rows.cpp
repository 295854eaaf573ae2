#include "collect/staged_rows.h"

#include "catalogue/index_keys.h"
#include "catalogue/list_edits.h"
#include "collect/new_row.h"
#include "platform/files.h"
#include "util/cp1252.h"
#include "util/format.h"
#include "util/shared_run.h"
#include "util/text.h"
#include "util/utf8.h"

#include <algorithm>
#include <memory>
#include <thread>
#include <utility>

namespace verdan {

namespace {

// Lines made at once: the values of a chunk are computed side by side, then taken in order.
constexpr std::size_t kChunkLines = 8192;
constexpr std::size_t kPrefetchAhead = 8;

constexpr const char* kHeaders[kNewCells] = {"n",         "nom-disque", "média",  "titre", "ext",
                                             "date",      "répertoire", "taille", "drive", "type-disque",
                                             "NS-disque", "libre",      "total"};

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

// Lays the cells of one row out by the list's headers and appends it to the staged table.
class RowWriter {
public:
    RowWriter(const StagingInput& input, const NewRowLayout& layout, GlobalList& into)
        : m_layout(layout), m_into(into), m_disk(input.disk) {
        // What reaches a row from the system is cut to what the catalogue file can keep.
        const std::string separator = cp1252::storable(input.decimalSeparator);
        m_drive = cp1252::storable(driveCell(input.driveText));
        m_libre = FormatTaille(m_disk.freeBytes, separator);
        m_total = FormatTaille(m_disk.totalBytes, separator);
    }

    void write(const NewRowValues& v, std::size_t number) {
        m_cells.fill({});
        const std::string n = PadLeftPairs(toText(static_cast<long long>(number)), 4);
        put(NewCell::N, n);
        put(NewCell::Disque, m_disk.label);
        put(NewCell::Media, v.media);
        put(NewCell::Titre, v.titre);
        put(NewCell::Ext, v.ext);
        put(NewCell::Date, v.date);
        put(NewCell::Repertoire, v.folder);
        put(NewCell::Taille, v.size);
        put(NewCell::Drive, m_drive);
        put(NewCell::Type, m_disk.typeText);
        put(NewCell::Ns, m_disk.serial);
        put(NewCell::Libre, m_libre);
        put(NewCell::Total, m_total);
        const auto& c = m_cells;
        m_into.appendRow(
            {c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9], c[10], c[11], c[12], c[13]});
    }

private:
    void put(NewCell which, std::string_view text) {
        if (const int c = m_layout.columns[static_cast<std::size_t>(which)]; c >= 0)
            m_cells[static_cast<std::size_t>(c)] = text;
    }

    const NewRowLayout& m_layout;
    GlobalList& m_into;
    const DiskIdentity& m_disk;
    std::string m_drive, m_libre, m_total;
    std::array<std::string_view, kListColumns> m_cells{};
};

// The values of the next lines are made on helper threads while the caller takes the current
// ones in order: looking each file's size up again is most of the work.
class ChunkMaker {
public:
    ChunkMaker(const std::vector<std::string_view>& lines, const NewRowMaker& makeRow)
        : m_lines(lines), m_makeRow(makeRow),
          m_helpers(std::clamp<std::size_t>(std::thread::hardware_concurrency(), 2, 4) - 1),
          // Neighbouring lines often name files of one folder, which each thread keeps open for
          // the lines it takes next.
          m_sizes(std::make_unique<platform::EntrySizes[]>(m_helpers + 1)) {}

    // Starts making the values of the lines from `first` on into `into`; finish() the run returned.
    std::unique_ptr<SharedRun> start(std::vector<PendingRow>& into, std::size_t first) {
        into.resize(std::min(kChunkLines, m_lines.size() - first));
        return std::make_unique<SharedRun>(
            into.size(),
            [this, &into, first](std::size_t worker, std::size_t begin, std::size_t end) {
                for (std::size_t i = begin; i < end; ++i) {
                    into[i].values = m_makeRow(m_lines[first + i], m_sizes[worker]);
                    into[i].hash = KeySet::hashOf(into[i].values.key);
                }
            },
            m_helpers);
    }

private:
    const std::vector<std::string_view>& m_lines;
    const NewRowMaker& m_makeRow;
    const std::size_t m_helpers;
    const std::unique_ptr<platform::EntrySizes[]> m_sizes;
};

} // namespace

NewRowLayout NewRowLayout::of(const GlobalList& list) {
    NewRowLayout layout;
    for (std::size_t c = 0; c < kNewCells; ++c) layout.columns[c] = list.indice_col_liste(kHeaders[c]);
    layout.firstNumber = replacesBlankRow(list) ? 1 : list.rowCount();
    return layout;
}

bool replacesBlankRow(const GlobalList& list) {
    return list.rowCount() == 2 && list.isEmptyRow(1);
}

StagedRows stageNewRows(const std::vector<std::string_view>& lines, const StagingInput& input,
                        const NewRowLayout& layout, KeySet& keys) {
    StagedRows staged;
    staged.level = input.level;
    const NewRowMaker makeRow(input.disk, input.driveText, input.level, input.media,
                              cp1252::storable(input.decimalSeparator));
    RowWriter writer(input, layout, staged.table);
    ChunkMaker chunks(lines, makeRow);
    try {
        std::vector<PendingRow> current, next;
        if (!lines.empty()) chunks.start(current, 0)->finish();
        for (std::size_t first = 0; first < lines.size(); first += kChunkLines) {
            std::unique_ptr<SharedRun> ahead;
            if (first + kChunkLines < lines.size()) ahead = chunks.start(next, first + kChunkLines);
            for (std::size_t i = 0; i < current.size(); ++i) {
                if (i + kPrefetchAhead < current.size()) keys.prefetch(current[i + kPrefetchAhead].hash);
                // Noted before it joins the set, so that a failure takes out whatever joined.
                staged.keys.push_back(current[i].hash);
                if (!keys.insert(current[i].hash)) {
                    staged.keys.pop_back();
                    continue;
                }
                writer.write(current[i].values, layout.firstNumber + staged.keys.size() - 1);
            }
            if (ahead) ahead->finish();
            std::swap(current, next);
        }
    } catch (...) {
        // The keys of rows that never reach the list would keep those files out for good.
        for (const KeySet::Hash& key : staged.keys) keys.remove(key);
        throw;
    }
    return staged;
}

std::size_t appendStagedRows(GlobalListState& globalList, StagedRows&& staged) {
    GlobalList& list = globalList.table;
    KeySet& keys = globalList.keys;
    // Read before the table changes: a disk list that matched it only needs the new disk.
    const bool disksWereCurrent = disksCurrent(globalList);
    std::size_t lastRow = 0;
    if (staged.size() > 0) {
        appendListRows(globalList, std::move(staged.table), StagedRows::kFirstRow, replacesBlankRow(list));
        lastRow = list.rowCount() - 1;
        list.selectRow(lastRow);
    }
    // Keys of another level than the set's make it a mix that a deletion must rebuild.
    if (keys.level() != std::clamp(staged.level, 0, kIndexLevels - 1)) keys.setLevel(-1);
    if (!disksWereCurrent) {
        extraire_hd_liste_globale(globalList);
    } else if (lastRow > 0) {
        // The new rows all name one disk, which joins the list at the end unless it is there.
        addDiskEntry(globalList.disks, diskEntry(list, lastRow));
        markDisksCurrent(globalList);
    }
    return lastRow;
}

} // namespace verdan
