#include "catalogue/list_load.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "catalogue/list_edits.h"
#include "catalogue/list_file.h"
#include "util/beside.h"

namespace verdan {
namespace {

// The header of the marks' column, and the mark itself.
constexpr std::string_view kMarkText = " x";

// Keys and disks of the rows read, the header row first; the marks are counted as well, and are
// all that is followed without `keys`.
class KeysAndDisks : public RowFollower {
public:
    // Keys made beside unless the file has `keysLaterFrom` bytes or more.
    KeysAndDisks(int level, bool disks, std::uint64_t keysLaterFrom = UINT64_MAX)
        : m_level(level), m_withDisks(disks), m_keysLaterFrom(keysLaterFrom) {}

    void begin(std::uint64_t fileBytes) override {
        m_fileBytes = fileBytes;
        m_withKeys = fileBytes < m_keysLaterFrom;
    }

    void follow(const std::vector<std::string_view>& rows) override {
        std::size_t i = 0;
        if (m_rowsSeen == 0 && !rows.empty()) {
            m_columns = KeyColumns::ofHeader(rows[0]);
            m_nameColumn = GlobalList::columnOfHeader(rows[0], "nom-disque");
            m_serialColumn = GlobalList::columnOfHeader(rows[0], "NS-disque");
            m_markColumn = GlobalList::columnOfHeader(rows[0], kMarkText);
            if (m_withKeys) reserveFor(rows);
            i = 1;
        }
        countMarks(rows, i);
        if (!m_withKeys) {
            m_rowsSeen += rows.size();
            return;
        }
        for (std::size_t first = i; first < rows.size(); first += kKeyBatch) {
            const std::size_t count = std::min(kKeyBatch, rows.size() - first);
            if (!m_withDisks) {
                addRowKeys(&rows[first], count, m_columns, m_level, keys);
                continue;
            }
            // Each row is cut once for its key and its disk.
            addRowKeys(&rows[first], count, m_columns, m_level, keys, std::max(m_nameColumn, m_serialColumn),
                       [&](std::size_t j, const CellStarts& starts) {
                           const std::string_view row = rows[first + j];
                           m_diskList.add(cellAt(row, starts, m_nameColumn),
                                          cellAt(row, starts, m_serialColumn));
                       });
        }
        m_rowsSeen += rows.size();
    }

    std::size_t rowsSeen() const { return m_rowsSeen; }
    std::size_t marks() const { return m_marks; }
    int level() const { return m_level; }
    bool withDisks() const { return m_withDisks; }
    bool withKeys() const { return m_withKeys; }

    KeySet keys;
    std::vector<std::string> disks;
    // The data rows whose mark cell is not empty.
    std::vector<std::size_t> markedRows;

private:
    void countMarks(const std::vector<std::string_view>& rows, std::size_t first) {
        if (m_markColumn < 0) return;
        // In the standard layout the marks are the last cells: a row that ends with a tab holds
        // none, and is settled without cutting it.
        const bool last = m_markColumn == kListColumns - 1;
        for (std::size_t r = first; r < rows.size(); ++r) {
            if (last && (rows[r].empty() || rows[r].back() == '\t')) continue;
            const std::string_view cell = GlobalList::cellOfRow(rows[r], m_markColumn);
            if (cell.empty()) continue;
            markedRows.push_back(m_rowsSeen + r);
            if (cell == kMarkText) ++m_marks;
        }
    }

    // Room for as many keys as the file holds rows of the first batch's length, and a tenth more:
    // a set grown step by step holds the old table and the new one at once at every step.
    void reserveFor(const std::vector<std::string_view>& rows) {
        std::uint64_t bytes = 0;
        for (std::string_view row : rows) bytes += row.size() + 2;
        if (bytes == 0 || m_fileBytes == 0) return;
        const std::uint64_t estimate = m_fileBytes * rows.size() / bytes;
        keys.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(estimate + estimate / 10, 1ULL << 31)));
    }

    int m_level;
    bool m_withDisks;
    std::uint64_t m_keysLaterFrom;
    bool m_withKeys = true;
    std::uint64_t m_fileBytes = 0;
    KeyColumns m_columns;
    int m_nameColumn = -1;
    int m_serialColumn = -1;
    int m_markColumn = -1;
    DiskListBuilder m_diskList{disks};
    std::size_t m_rowsSeen = 0;
    std::size_t m_marks = 0;
};

void installKeys(GlobalListState& globalList, KeysAndDisks&& made) {
    adoptKeys(std::move(made.keys), globalList.keys, made.level(), globalList.index);
    if (made.withDisks()) {
        globalList.disks = std::move(made.disks);
        markDisksCurrent(globalList);
    }
}

// The keys and disks of the table as indexer_liste and extraire_hd_liste_globale make them.
void indexTable(GlobalListState& globalList, int level, bool keepKeys, bool rebuildDisks) {
    runBeside(
        [&] {
            if (rebuildDisks) extraire_hd_liste_globale(globalList);
        },
        [&] { indexer_liste(globalList.table, globalList.keys, level, keepKeys, globalList.index); });
}

} // namespace

void clearListMarks(GlobalListState& globalList) {
    GlobalList& table = globalList.table;
    GlobalListState::MarksRead& read = globalList.marksRead;
    const int column = table.indice_col_liste(kMarkText);
    // Rows and marks as the load read them: only the rows it found marked are written.
    if (read.known && column >= 0 && read.rowsStamp == table.rowsStamp() &&
        read.columnStamp == table.columnStamp(column)) {
        table.setColumnOfRows(column, "", read.rows);
    } else {
        SetAllMarks(table, "");
    }
    // Every mark cell is empty now: the next clearing reads nothing while nothing changes.
    read = {column >= 0, table.rowsStamp(), table.columnStamp(column), 0, {}};
}

LoadResult loadIndexedList(GlobalListState& globalList, const std::string& path, int level, bool keepKeys,
                           bool rebuildDisks, Ui& ui, const std::string& programFolder,
                           std::int64_t* lineFeeds) {
    // Keys in the making for the rows this load replaces are dropped, and made again should the
    // reading fail; keys to be kept are waited for.
    struct Dropped {
        GlobalListState& globalList;
        Ui& ui;
        bool dropped = false;
        int level = 0;
        bool disks = false;
        std::uint64_t stamp = globalList.table.rowsStamp();
        ~Dropped() {
            if (!dropped || globalList.table.rowsStamp() != stamp || globalList.keysInMaking) return;
            try {
                startKeys(globalList, level, disks, ui);
            } catch (...) {
                // Not even room to start: the keys of another table must not stay.
                globalList.keys.clear();
                globalList.keys.setLevel(-1);
            }
        }
    } dropped{globalList, ui};
    if (globalList.keysInMaking && keepKeys) finishKeys(globalList);
    dropped.dropped = dropKeys(globalList, dropped.level, dropped.disks);
    // Whatever the load left in the table, even when it failed half-way, is another list: its
    // observers start again from it once keys and disks are made.
    struct Announce {
        GlobalListState& globalList;
        std::uint64_t stamp = globalList.table.rowsStamp();
        ~Announce() {
            if (globalList.table.rowsStamp() != stamp) announceListReplaced(globalList);
        }
    } announce{globalList};
    // Keys kept from before are added to at once.
    const bool fresh = !keepKeys || globalList.keys.size() == 0;
    KeysAndDisks follower(level, rebuildDisks, fresh ? globalList.keysAfterBytesFrom : UINT64_MAX);
    const LoadResult result =
        lire_liste(globalList.table, path, ListMode::Replace, ui, programFolder, &follower, lineFeeds);
    dropped.dropped = false;
    GlobalList& table = globalList.table;
    // The follower saw every row: not for a file without rows (the table then gets its blank row).
    const bool seenAll = result == LoadResult::Loaded && follower.rowsSeen() == table.rowCount();
    const int markColumn = table.indice_col_liste(kMarkText);
    globalList.marksRead = {seenAll && markColumn >= 0, table.rowsStamp(), table.columnStamp(markColumn),
                            follower.marks(), std::move(follower.markedRows)};
    if (!follower.withKeys() && table.mediaCount() > 0) {
        startKeys(globalList, level, rebuildDisks, ui);
        return result;
    }
    // The set made beside is the table's when it saw every row, unless keys kept from before
    // must stay.
    if (seenAll && fresh && follower.withKeys()) {
        installKeys(globalList, std::move(follower));
        return result;
    }
    indexTable(globalList, level, keepKeys, rebuildDisks);
    return result;
}

} // namespace verdan
